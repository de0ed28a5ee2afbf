#pragma once

#include "design/Focus.h"
#include "design/Theme.h"

#include <QPointer>
#include <QTextEdit>

namespace kelvora {

// A wrapping text the user may select and copy: a path or a command. Lines break anywhere,
// since a path has no spaces to break at, and it asks for the height its lines need at the
// width it is given. The ink and the selection follow the appearance at each paint. It is a
// stop of Tab, to select and copy from the keyboard: there it shows its caret, and the ring
// around it when the keyboard brought it there.
class SelectableText : public Focus::Ringed<QTextEdit> {
    Q_OBJECT

public:
    SelectableText(const QFont& font, Token color, QWidget* parent = nullptr);

    static constexpr QMargins kRingOutset{6, 4, 6, 4};

    void setText(const QString& text);
    QString text() const { return toPlainText(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void focusRingChanged() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Token color_;
    // Made on the first keyboard focus: the text runs to its own edges.
    QPointer<Focus::Halo> halo_;
};

} // namespace kelvora

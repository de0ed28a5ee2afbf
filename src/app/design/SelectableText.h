#pragma once

#include "design/Theme.h"

#include <QTextEdit>

namespace kelvora {

// A wrapping text the user may select and copy: a path or a command. Lines break anywhere,
// since a path has no spaces to break at, and it asks for the height its lines need at the
// width it is given. The ink and the selection follow the appearance at each paint.
class SelectableText : public QTextEdit {
    Q_OBJECT

public:
    SelectableText(const QFont& font, Token color, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return toPlainText(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Token color_;
};

} // namespace kelvora

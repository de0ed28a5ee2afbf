#pragma once

#include "design/TextFlow.h"
#include "design/Theme.h"

#include <QFont>
#include <QWidget>

#include <vector>

namespace kelvora {

// A text widget for views built from layouts, painted in a Theme colour looked up at each
// paint so it follows a change of appearance. By default it wraps (see TextFlow) and asks
// for the height its lines need at the width it is given; an empty text takes no room. On
// one line (setWrapping(false)) it is cut short at the end instead.
class PaintedText : public QWidget {
    Q_OBJECT

public:
    PaintedText(const QFont& font, Token color, QWidget* parent = nullptr);

    QString text() const { return flowText_; }
    void setText(const QString& text) { setRuns({{text, std::nullopt}}); }
    // Runs with a colour of their own, wrapped as one paragraph.
    void setRuns(std::vector<TextFlow::Run> runs);
    const std::vector<TextFlow::Run>& runs() const { return runs_; }
    void setColor(Token color);
    void setWrapping(bool wrapping);
    void setAlignment(Qt::Alignment alignment);
    // Extra room between wrapped lines.
    void setLineSpacing(qreal spacing);
    // The widest the text is set, also when it is given more room.
    void setMaximumTextWidth(qreal width);

    bool hasHeightForWidth() const override { return wrapping_; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    qreal textWidth(qreal available) const;
    TextFlow flow(qreal width) const;
    void changed();

    QFont font_;
    Token color_;
    std::vector<TextFlow::Run> runs_;
    QString flowText_;
    bool wrapping_ = true;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    qreal lineSpacing_ = 0;
    qreal maximumTextWidth_ = QWIDGETSIZE_MAX;
    TextFlow shown_; // the lines for the current width
};

} // namespace kelvora

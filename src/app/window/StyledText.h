#pragma once

#include "design/Theme.h"

#include <QFont>
#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

namespace kelvora {

// A paragraph painted in one font from runs of text, each in its own colour token, that
// wraps at the width it is given (never wider than its maximum) and asks for the height
// its lines need, so it is never cut off. Colours are looked up when it is painted.
class StyledText : public QWidget {
    Q_OBJECT

public:
    struct Run {
        QString text;
        std::optional<Token> color; // none: the paragraph's colour
        bool operator==(const Run&) const = default;
    };

    StyledText(QFont font, Token color, QWidget* parent = nullptr);

    void setRuns(std::vector<Run> runs);
    void setText(const QString& text) { setRuns({{text, std::nullopt}}); }
    QString text() const;
    const std::vector<Run>& runs() const { return runs_; }
    void setMaximumTextWidth(qreal width);
    void setLineSpacing(qreal extra);

    // The height of the paragraph wrapped at `width`.
    static qreal height(const std::vector<Run>& runs, const QFont& font, qreal width,
                        qreal lineSpacing = 0);
    static void paint(QPainter& painter, const QRectF& rect, const std::vector<Run>& runs,
                      const QFont& font, Token color, qreal lineSpacing = 0);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal wrapWidth(qreal available) const;

    std::vector<Run> runs_;
    QFont font_;
    Token color_;
    qreal maxWidth_ = 10'000;
    qreal lineSpacing_ = 0;
};

} // namespace kelvora

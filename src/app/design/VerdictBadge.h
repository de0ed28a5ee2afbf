#pragma once

#include "design/Theme.h"
#include "model/JunkKind.h"

#include <QWidget>

#include <optional>

namespace kelvora {

// The badge of an item's verdict: the verdict in capitals on a small rounded label, read
// out by assistive technology as a plain sentence ("Safe to remove") instead. It keeps its
// ideal size; rows paint it with `paint` and only standalone uses need the widget.
class VerdictBadge : public QWidget {
    Q_OBJECT

public:
    struct Look {
        QString text;              // "SAFE"
        Token textColor;           // the letters
        std::optional<Token> fill; // none: transparent
        std::optional<Token> border;
        QString accessibleLabel; // "Safe to remove"
    };

    explicit VerdictBadge(Verdict verdict, QWidget* parent = nullptr);

    Verdict verdict() const { return verdict_; }
    void setVerdict(Verdict verdict);

    static Look look(Verdict verdict);
    static QFont font();
    // 8 px either side of the text, 22 px high.
    static QSizeF idealSize(Verdict verdict);
    // Paints the badge at its ideal size with its top left at `topLeft`.
    static void paint(QPainter& painter, QPointF topLeft, Verdict verdict);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Verdict verdict_;
};

} // namespace kelvora

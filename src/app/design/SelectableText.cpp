#include "design/SelectableText.h"

#include "design/Scrolling.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include <cmath>
#include <memory>

namespace kelvora {

SelectableText::SelectableText(const QFont& font, Token color, QWidget* parent)
    : Ringed(parent), color_(color) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    // Sized to its text; were it ever held shorter, the rest scrolls as everywhere else.
    ThinScroller::attach(this);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setFont(font);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SelectableText::focusRingChanged() {
    Focus::lightHalo(halo_, *this, showsFocusRing(), kRingOutset, 6);
    viewport()->update(); // the caret
}

void SelectableText::setText(const QString& text) {
    if (text == toPlainText()) return;
    setPlainText(text);
    setAccessibleName(text);
    updateGeometry();
}

// The editor lays its text out for its own width once it has one; a width asked about
// before that is measured on a copy laid out for it.
int SelectableText::heightForWidth(int width) const {
    std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->setTextWidth(width);
    return static_cast<int>(std::ceil(copy->size().height()));
}

QSize SelectableText::sizeHint() const {
    return {QTextEdit::sizeHint().width(), heightForWidth(std::max(width(), 1))};
}

QSize SelectableText::minimumSizeHint() const {
    return {0, heightForWidth(std::max(width(), 1))};
}

void SelectableText::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    updateGeometry();
}

// Drawn here rather than by the editor so the ink follows the appearance in force now.
void SelectableText::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, Theme::color(color_));
    context.clip = event->rect();
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = cursor;
        selection.format.setBackground(Theme::chip());
        selection.format.setForeground(Theme::color(color_));
        context.selections.append(selection);
    }
    // Steady rather than blinking: it says where Shift and the arrows start selecting.
    if (hasFocus()) context.cursorPosition = cursor.position();
    document()->documentLayout()->draw(&painter, context);
}

} // namespace kelvora

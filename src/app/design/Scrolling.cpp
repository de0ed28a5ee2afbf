#include "design/Scrolling.h"

#include "design/Snapshot.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace kelvora {

Scrolling::Scrolling(QWidget* content, QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (content) setContent(content);
}

void Scrolling::setContent(QWidget* content) {
    if (content_ == content) return;
    if (scrollArea_ && scrollArea_->widget() == content_) scrollArea_->takeWidget();
    delete content_;
    content_ = content;
    if (content_) {
        content_->setParent(this);
        content_->installEventFilter(this);
    }
    arrange();
}

QSize Scrolling::sizeHint() const {
    return content_ ? content_->sizeHint() : QWidget::sizeHint();
}

// Whether this is a picture is known only once the widget hangs in its final tree, so the
// arrangement is settled when it is polished (before it is first shown or rendered) and
// checked again whenever it moves to another parent or is resized.
bool Scrolling::event(QEvent* event) {
    if (event->type() == QEvent::Polish || event->type() == QEvent::ParentChange) arrange();
    return QWidget::event(event);
}

// In a picture the content's height follows what it holds, so a change of its layout
// places it again.
bool Scrolling::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::LayoutRequest && !scrollArea_)
        placeForPicture();
    return QWidget::eventFilter(watched, event);
}

void Scrolling::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void Scrolling::arrange() {
    bool picture = Snapshot::isSnapshot(this);
    if (picture) {
        if (scrollArea_) {
            if (scrollArea_->widget()) scrollArea_->takeWidget();
            delete scrollArea_;
            scrollArea_ = nullptr;
        }
        if (content_) {
            content_->setParent(this);
            content_->setAutoFillBackground(false);
            placeForPicture();
            content_->show();
        }
        return;
    }
    if (!scrollArea_) {
        scrollArea_ = new QScrollArea(this);
        scrollArea_->setFrameShape(QFrame::NoFrame);
        scrollArea_->setWidgetResizable(true);
        scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        scrollArea_->viewport()->setAutoFillBackground(false);
        scrollArea_->show();
    }
    scrollArea_->setGeometry(rect());
    if (content_ && scrollArea_->widget() != content_) {
        scrollArea_->setWidget(content_);
        // The pane behind shows through, in the window as in a picture.
        content_->setAutoFillBackground(false);
    }
}

void Scrolling::placeForPicture() {
    int width = this->width();
    int natural = content_->hasHeightForWidth() ? content_->heightForWidth(width)
                                                : content_->sizeHint().height();
    natural = std::max(natural, content_->minimumSizeHint().height());
    content_->setGeometry(0, 0, width, std::max(natural, height()));
}

} // namespace kelvora

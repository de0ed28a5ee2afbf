#pragma once

#include <QPointer>
#include <QWidget>

class QScrollArea;

namespace kelvora {

// The vertical scroll container of every long pane. In the window its content scrolls
// (vertical indicator as needed, never sideways). In a still picture there is no scroll
// area: the content gets the full width, its whole natural height from the top, and is
// clipped to this frame, so the picture shows the top of the content, never an empty area.
//
//     auto* scrolling = new Scrolling(content, pane);
class Scrolling : public QWidget {
    Q_OBJECT

public:
    explicit Scrolling(QWidget* content = nullptr, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    void setContent(QWidget* content);
    // The scroll area holding the content in the window; none in a still picture.
    QScrollArea* scrollArea() const { return scrollArea_; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    void placeForPicture();

    QPointer<QWidget> content_;
    QScrollArea* scrollArea_ = nullptr;
};

} // namespace kelvora

#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;
class Scrolling;
class ShelfPage;

// The Undo Shelf pane: how much the shelf holds and for how long, a button that offers to
// free it all (the window asks first), and every clean-up still held with its items, each
// of which can be put back alone or with the rest of its clean-up. It scrolls by itself
// (in a still picture it shows the top of everything at once) and changes nothing but
// through the controller.
class ShelfView : public QWidget {
    Q_OBJECT

public:
    explicit ShelfView(AppModel& model, QWidget* parent = nullptr);

    ShelfPage* page() const { return page_; }

private:
    Scrolling* scrolling_;
    ShelfPage* page_;
};

} // namespace kelvora

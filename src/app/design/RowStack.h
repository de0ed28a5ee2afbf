#pragma once

#include <QListView>

namespace kelvora {

// The rows of a long list: a list view whose rows a delegate paints (set a model and a
// delegate as with any QListView). In the window it scrolls by itself under a ThinScroller
// and draws only the rows in view, so a hundred thousand rows stay fluid. In a still picture it
// never scrolls and asks for the height of every row, so a `Scrolling` around it lays out all of
// them and shows the first from the top.
//
// Rows sit flush (no spacing), nothing is selected by default, and the background is
// left to the pane behind it.
class RowStack : public QListView {
    Q_OBJECT

public:
    explicit RowStack(QWidget* parent = nullptr);

    // The height of all rows together.
    int contentHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;

private:
    void arrange();

    bool picture_ = false;
};

} // namespace kelvora

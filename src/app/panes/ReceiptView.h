#pragma once

#include "controller/Receipt.h"
#include "panes/ReceiptLayout.h"

#include <QWidget>

namespace kelvora {

// The printed receipt of a clean-up: sizes by category, the total, the free space before
// and after and what waits on the Undo Shelf, on paper with a torn edge. Never a file name,
// so it can be shown to anyone. Its size is its content's: 408 px wide.
class ReceiptView : public QWidget {
    Q_OBJECT

public:
    explicit ReceiptView(const Receipt& receipt, QWidget* parent = nullptr);

    const ReceiptLayout& layout() const { return layout_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReceiptLayout layout_;
};

} // namespace kelvora

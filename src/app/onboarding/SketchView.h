#pragma once

#include "onboarding/Sketch.h"

#include <QPointer>
#include <QWidget>

#include <map>

namespace kelvora {

// A widget that shows a sketch: it asks for one whenever its size or data changes, paints
// it, and moves its child widgets onto the sketch's places (a child whose slot is missing
// is hidden). Subclasses only say what the sketch is.
class SketchView : public QWidget {
    Q_OBJECT

public:
    explicit SketchView(QWidget* parent = nullptr);

    const Sketch& sketch() const { return sketch_; }

protected:
    virtual Sketch layout(QSizeF size) const = 0;
    // Lays out again after the data changed.
    void relayout();
    // Puts `child` on the slot of that name from the next layout on.
    void place(const QString& slot, QWidget* child);

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Sketch sketch_;
    std::map<QString, QPointer<QWidget>> children_;
};

} // namespace kelvora

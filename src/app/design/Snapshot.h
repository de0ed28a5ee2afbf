#pragma once

class QWidget;

namespace kelvora {

// Whether a view is being drawn for a still picture rather than shown in the window. A
// picture must show everything at once: containers lay out every row instead of scrolling,
// and nothing animates.
//
// The flag is read up the widget tree: the nearest widget that set it decides, and where no
// ancestor did, the process default does (false unless a renderer says otherwise). Read it
// when laying out or painting, not in a constructor, where the widget has no parent yet.
namespace Snapshot {

bool isSnapshot(const QWidget* widget);
void setSnapshot(QWidget* widget, bool snapshot);
bool processDefault();
void setProcessDefault(bool snapshot);

} // namespace Snapshot
} // namespace kelvora

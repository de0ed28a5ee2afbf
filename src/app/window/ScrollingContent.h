#pragma once

class QWidget;

namespace kelvora::ScrollingContent {

// Lets the pane behind a scrolled content show through it. A scroll area makes the widget
// it holds fill itself with the platform's window colour, which is none of ours and would
// cover the pane's own fill.
void seeThrough(QWidget* content);

} // namespace kelvora::ScrollingContent

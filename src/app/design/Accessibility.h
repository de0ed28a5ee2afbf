#pragma once

namespace kelvora::Accessibility {

// Teaches assistive technology what the painted controls are: a pick box is a check box
// with the value "picked" or "not picked", the dial reports its percentages, a verdict badge
// is a sentence, a meter is left out. The controls call it themselves; doing it again
// does nothing.
void install();

} // namespace kelvora::Accessibility

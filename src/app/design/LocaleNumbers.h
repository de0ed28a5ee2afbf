#pragma once

namespace kelvora::LocaleNumbers {

// Has every count of the engine and the window written as the user's locale writes numbers
// (its digit grouping), from the same locale data as the dates, whether or not the C
// library has that locale installed. Called once at start, before any other thread runs.
void groupCountsByLocale();

} // namespace kelvora::LocaleNumbers

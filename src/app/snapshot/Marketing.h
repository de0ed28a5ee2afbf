#pragma once

#include "model/CleanReport.h"
#include "model/ScanResult.h"
#include "platform/Url.h"

namespace kelvora::Marketing {

// The fixed findings of an imaginary computer whose home is "/Users/you", so pictures made
// from them look the same on every machine and show nothing of the one that drew them.
// Nothing here reads or writes the disk.

const URL& home();

// A new result on each call: the same items, sizes, order and disk, dated 290 days before
// now, with a fresh random number of entries (40 to 400) inside each cache folder.
ScanResult result();

// The report of cleaning the result's default picks: deleted and shelved bytes, and the
// bytes per category.
CleanReport report(const ScanResult& result);

} // namespace kelvora::Marketing

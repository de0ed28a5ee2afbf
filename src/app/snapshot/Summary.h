#pragma once

#include "catalog/Catalog.h"
#include "model/ScanResult.h"

#include <functional>
#include <string>

namespace kelvora::Snapshot {

// Whether the two faces were found, as the first summary line reports them.
struct FaceFlags {
    bool doto = false;
    bool geist = false;
};

// The plain-text account of a scan result a snapshot prints before it draws: what was
// scanned, what each category can free, the largest items, and the items of the
// categories worth a second look. Every line ends with a newline.
std::string summary(const ScanResult& result, const Catalog& catalog, FaceFlags faces);

// The summary with the faces registered in this process and the default texts, line by
// line (without newlines) through `print`.
void printSummary(const ScanResult& result, const std::function<void(const std::string&)>& print);

// A size left-aligned in a field of nine characters: padded, or cut when longer.
std::string sizeColumn(const std::string& text);

} // namespace kelvora::Snapshot

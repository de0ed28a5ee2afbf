#pragma once

#include "model/ScanResult.h"
#include "platform/Date.h"
#include "platform/Url.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::SearchText {

inline const QString kPlaceholder = "Try “videos over 1 GB from last year”";
inline const QString kIntroTitle = "Search your files in plain words";
// What the search looks through; the Library and the Photos library are named only where
// this computer has them.
QString introBody(const MacPlaces& places);
inline const QString kLooking = "Looking…";
inline const QString kNothing = "Nothing matches. Try fewer words.";
inline const QString kShowInFolder = "Show in Folder";

// The phrases offered before anything is searched, in the order they are shown.
const QStringList& examples();

// The folder a hit lies in as the user reads it: "/private/var/" as "/var/", the home
// folder as "~".
QString folderText(const URL& hit, const std::string& home);
// " · changed yesterday", or nothing for a hit without a change date.
QString dateText(const std::optional<Date>& changed, Date now);
// "120 found · 3 picked"
QString countLine(size_t found, size_t picked);
QString holdLine(int shelfDays);
QString moveTitle(int64_t pickedBytes);

// Which examples go on which row: all on one when their chips fit `available`, else the
// first three on the first row and the rest on the second.
std::vector<std::vector<int>> exampleRows(const std::vector<qreal>& chipWidths, qreal spacing,
                                          qreal available);

} // namespace kelvora::SearchText

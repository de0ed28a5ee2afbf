#pragma once

#ifndef Q_MOC_RUN
#include "model/ScanResult.h"
#include "photos/SimilarPhotos.h"
#endif

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace kelvora::SimilarPhotosText {

inline constexpr const char* kTitle = "Similar photos";
// Where it looks; the Photos library is named only where this computer has one.
std::string subtitle(const MacPlaces& places);
inline constexpr const char* kLookAgain = "Look again";
// Photos are compared with a picture print of our own, not a system vision service, so the
// line names no such service.
inline constexpr const char* kPrivacy = "On this computer. Nothing is uploaded.";
inline constexpr const char* kIntroTitle = "Find shots you took more than once";
inline constexpr const char* kIntroText =
    "Kelvora compares your photos on this computer and keeps the best of each group: the most "
    "detail, then the largest file.";
inline constexpr const char* kFind = "Find similar photos";
inline constexpr const char* kNothingFound = "No similar photos found.";
inline constexpr const char* kKeep = "KEEP";
inline constexpr const char* kShowInFolder = "Show in Folder";

// A row shows the kept shot and at most this many extras; the rest are only counted.
inline constexpr size_t kShownExtras = 5;

using Groups = std::optional<std::vector<SimilarPhotos::Group>>;

// What the content area shows; the first that applies wins.
enum class Content { searching, intro, nothingFound, results };
Content content(bool finding, const Groups& groups);
bool showsLookAgain(bool finding, const Groups& groups);
// The footer stays while a new search runs, under its progress.
bool showsFooter(const Groups& groups);

// "Comparing photos… 99%": the percentage cut toward zero.
std::string progress(double fraction);
// "1 extra", "2 extras".
std::string extras(size_t count);
// "+7" for the extras past the five shown; none when all are shown.
std::optional<std::string> overflow(size_t extras);
// The kept shot first, then every extra, not only the five shown.
std::vector<URL> revealed(const SimilarPhotos::Group& group);

struct Footer {
    size_t picked = 0;
    size_t groups = 0;
    int64_t total = 0;     // what moving the picked groups' extras frees
    std::string summary;   // "<p> of <g> groups picked"
    std::string hold;      // how long the extras wait on the shelf
    bool picksAll = true;  // the link picks every group (else it picks none)
    std::string pickTitle; // "Pick all" or "Pick none"
    std::string moveTitle; // "Move 12.4 MB of extras"
    bool canPick = true;   // not while a new search runs
    bool canMove = false;  // something picked, and no search running
};
Footer footer(const std::vector<SimilarPhotos::Group>& groups, const std::unordered_set<URL>& picks,
              int shelfDays, bool finding);

} // namespace kelvora::SimilarPhotosText

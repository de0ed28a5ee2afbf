#pragma once

#include "model/ScanItem.h"
#include "platform/StopToken.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvora::SimilarPhotos {

// A compact description of what a photo shows; near-identical photos lie close together.
struct FeaturePrint {
    std::vector<float> values;
    // Euclidean distance; none when the prints are of different makes.
    std::optional<float> distance(const FeaturePrint& other) const;
    bool operator==(const FeaturePrint&) const = default;
};

// What the finder needs to read of an image: its print (made from a small thumbnail) and
// its pixel count (from the header alone). The core reads no image data itself. Prints are
// made on several threads at once.
struct Printer {
    std::function<std::optional<FeaturePrint>(const URL&)> print;
    std::function<int64_t(const URL&)> pixels;
};

// One set of similar photos, identified by the photo to keep.
struct Group {
    URL keep;
    std::vector<URL> extras; // sorted by file name
    int64_t bytes = 0;       // what removing all extras frees
    const URL& id() const { return keep; }
    bool operator==(const Group&) const = default;
};

using Progress = std::function<void(double fraction)>;

// Lower-cased extensions taken as photos.
const std::set<std::string>& types();
// Two photos are similar when their prints are at most this far apart.
inline float threshold = 0.3f;
// Each photo is compared with this many photos that follow it.
inline constexpr int kWindow = 24;

// Candidate photos under the folders, newest first, at most `limit`: hidden items, package
// contents, build folders and the folders never to enter (our own data folder, which holds
// the Undo Shelf's copies) are not searched, links are not followed. Once `stop` is set the
// walk ends at the next entry and the list is incomplete.
std::vector<URL> photos(const std::vector<URL>& folders, int64_t minSize, int64_t limit,
                        const std::vector<URL>& neverEntered = {}, const StopToken& stop = {});
// Groups of similar photos among `urls` (in the order given, usually newest first), largest
// saving first. Progress arrives from worker threads every 50 prints and once with 1.0. Once
// `stop` is set no further print is made and no group is returned.
std::vector<Group> find(const std::vector<URL>& urls, const Printer& printer,
                        const Progress& progress = {}, const StopToken& stop = {});
// One photos item per group, ready for the cleaner. Groups without extras, or whose kept
// photo is gone, give none: removing them could leave no copy at all.
std::vector<ScanItem> items(const std::vector<Group>& groups);

} // namespace kelvora::SimilarPhotos

template <> struct std::hash<kelvora::SimilarPhotos::Group> {
    std::size_t operator()(const kelvora::SimilarPhotos::Group& group) const noexcept;
};

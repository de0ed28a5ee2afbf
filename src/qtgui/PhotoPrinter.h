#pragma once

#include "photos/SimilarPhotos.h"

#include <cstdint>
#include <optional>

class QImage;

namespace kelvora::PhotoPrinter {

// Longest side of the thumbnail a print is made from.
inline constexpr int kThumbnailSize = 512;

// The print of a photo file: decoded as a thumbnail of at most 512 pixels, orientation
// applied. None when the file cannot be decoded.
std::optional<SimilarPhotos::FeaturePrint> print(const URL& url);
// The print of an image already in memory.
std::optional<SimilarPhotos::FeaturePrint> print(const QImage& image);
// Width times height from the file's header, without decoding it; 0 when unreadable.
int64_t pixels(const URL& url);

// The printer the photo finder uses on this system.
SimilarPhotos::Printer live();

} // namespace kelvora::PhotoPrinter

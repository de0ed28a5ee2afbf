#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelvora {

// Reads up to length bytes at offset into buffer: the count read, 0 at the end,
// or -1 on a read error.
using ReadAt = std::function<int64_t(char* buffer, size_t length, int64_t offset)>;

// SHA-256 of the size (8 bytes, little-endian), the first 64 KiB and the last
// 64 KiB, as lower-case hex. Nothing when either read fails or comes back empty.
std::optional<std::string> edgeFingerprint(const ReadAt& read, int64_t size);

// SHA-256 of the whole contents read in 1 MiB chunks, as lower-case hex.
// Nothing when any read fails, so a partly read file never matches another.
std::optional<std::string> contentSha256(const ReadAt& read);

// A reader over the file at path; nothing when it cannot be opened. The file
// stays open for as long as the reader lives.
std::optional<ReadAt> fileReader(const std::string& path);

} // namespace kelvora

#pragma once

#include <cstddef>
#include <string>

namespace kelvora {

// The longest file name, in bytes, that the file systems we run on accept.
inline constexpr std::size_t kMaxNameBytes = 255;

// The name of a target inside a clean-up's items folder: item position, "-", target
// position, "-", its own name; shortened (keeping the extension) to fit a file name.
std::string storedName(std::size_t item, std::size_t target, const std::string& name);

// base + marker + "." + extension (no dot when the extension is empty), with the base
// shortened as far as needed to fit `maxBytes`.
std::string nameWithin(const std::string& base, const std::string& marker,
                       const std::string& extension, std::size_t maxBytes = kMaxNameBytes);

// The extension a mark goes in front of: the last one, or both of a compressed archive's
// ("tar.xz"), so that the mark never splits an archive's name from its kind.
std::string wholeExtension(const std::string& name);

// The name an item takes on its n-th try to come back beside whatever took its place: the
// name itself for 0, then "name (restored).ext", "name (restored 2).ext" and so on, within
// `maxBytes`.
std::string restoredName(const std::string& name, long n, std::size_t maxBytes = kMaxNameBytes);

// At most `bytes` bytes of the text, never cutting a UTF-8 character in half.
std::string truncatedUtf8(const std::string& text, std::size_t bytes);

} // namespace kelvora

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
// shortened as far as needed to fit a file name.
std::string nameWithin(const std::string& base, const std::string& marker,
                       const std::string& extension);

// At most `bytes` bytes of the text, never cutting a UTF-8 character in half.
std::string truncatedUtf8(const std::string& text, std::size_t bytes);

} // namespace kelvora

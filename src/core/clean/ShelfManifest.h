#pragma once

#include "clean/UndoShelf.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kelvora {

// The file that describes one clean-up on the Undo Shelf.
inline constexpr const char* kManifestName = "manifest.json";
inline constexpr const char* kItemsFolderName = "items";
// A clean-up's plan, written before anything moves and removed once its manifest is
// whole: every entry with every file it is about to move. A clean-up cut short is read
// back from it and from what its items folder holds.
inline constexpr const char* kJournalName = "journal.json";
// The most a manifest or plan may hold: hundreds of thousands of entries fit many times over.
// A larger file is damaged (or hostile, such as a sparse file of gigabytes) and is not read.
inline constexpr std::size_t kMaxManifestBytes = std::size_t{256} << 20;

// Pretty-printed JSON with sorted keys and ISO-8601 dates in UTC to the second.
// Fails (with the reason) when a text is not valid UTF-8 and so cannot be written.
struct EncodedManifest {
    std::optional<std::string> text;
    std::string error;
};
// The plan is written compactly: it is never meant to be read by a person.
EncodedManifest encodeManifest(const UndoShelf::Sweep& sweep, bool pretty = true);

// None when the text is not JSON, a key is missing or of the wrong type, or an identifier
// or stored name is not a single plain file name (it would reach outside its folder). An
// original path is taken as written; putting back judges it.
std::optional<UndoShelf::Sweep> decodeManifest(const std::string& text);

// Whether the text can be written into a manifest (valid UTF-8). A path that cannot be
// recorded could never be put back, so it is never moved onto the shelf.
bool isRecordable(const std::string& text);

// A name usable as one path component inside the shelf: not empty, no "/", not "." or "..".
bool isSingleComponent(const std::string& name);

} // namespace kelvora

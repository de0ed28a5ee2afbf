#include "clean/ShelfManifest.h"

#include "platform/Iso8601.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace kelvora {

namespace {

using Json = nlohmann::json;

Json fileJson(const UndoShelf::Entry::File& file) {
    Json json{{"original", file.original}, {"stored", file.stored}};
    if (file.identity) {
        json["size"] = file.identity->size;
        json["device"] = file.identity->device;
        json["inode"] = file.identity->inode;
    }
    return json;
}

Json entryJson(const UndoShelf::Entry& entry) {
    Json files = Json::array();
    for (const auto& file : entry.files)
        files.push_back(fileJson(file));
    Json json{{"id", entry.id},       {"label", entry.label},
              {"kind", entry.kind},   {"location", entry.location},
              {"bytes", entry.bytes}, {"files", files}};
    if (!entry.scannedIn.empty()) json["scannedIn"] = entry.scannedIn;
    return json;
}

std::optional<std::string> stringAt(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<Date> dateAt(const Json& object, const char* key) {
    auto text = stringAt(object, key);
    if (!text) return std::nullopt;
    // Only the form the shelf writes: UTC to the whole second, ending in Z. A fraction, an
    // offset or an impossible day makes the manifest unreadable rather than half-understood.
    auto date = parseIso8601(*text);
    if (!date || formatIso8601(*date) != *text) return std::nullopt;
    return date;
}

// A hand-edited size is never negative, and one beyond the largest figure is pinned there.
int64_t byteCount(const Json& number) {
    if (number.is_number_unsigned())
        return static_cast<int64_t>(
            std::min<uint64_t>(number.get<uint64_t>(), std::numeric_limits<int64_t>::max()));
    return std::max<int64_t>(number.get<int64_t>(), 0);
}

const Json* arrayAt(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_array()) return nullptr;
    return &*it;
}

std::optional<uint64_t> unsignedAt(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_number_unsigned()) return std::nullopt;
    return it->get<uint64_t>();
}

// Noted since a later version, so optional: what is missing or mistyped is as if not noted.
std::optional<UndoShelf::Entry::File::Identity> identityIn(const Json& json) {
    auto size = unsignedAt(json, "size");
    auto device = unsignedAt(json, "device");
    auto inode = unsignedAt(json, "inode");
    if (!size || !device || !inode || *size > uint64_t(std::numeric_limits<int64_t>::max()))
        return std::nullopt;
    return UndoShelf::Entry::File::Identity{static_cast<int64_t>(*size), *device, *inode};
}

std::vector<std::string> foldersIn(const Json& json) {
    std::vector<std::string> folders;
    auto it = json.find("scannedIn");
    if (it == json.end() || !it->is_array()) return folders;
    for (const auto& folder : *it)
        if (folder.is_string()) folders.push_back(folder.get<std::string>());
    return folders;
}

std::optional<UndoShelf::Entry::File> decodeFile(const Json& json) {
    if (!json.is_object()) return std::nullopt;
    auto original = stringAt(json, "original");
    auto stored = stringAt(json, "stored");
    if (!original || !stored || !isSingleComponent(*stored)) return std::nullopt;
    return UndoShelf::Entry::File{*original, *stored, identityIn(json)};
}

std::optional<UndoShelf::Entry> decodeEntry(const Json& json) {
    if (!json.is_object()) return std::nullopt;
    UndoShelf::Entry entry;
    auto id = stringAt(json, "id");
    auto label = stringAt(json, "label");
    auto kind = stringAt(json, "kind");
    auto location = stringAt(json, "location");
    auto bytes = json.find("bytes");
    const Json* files = arrayAt(json, "files");
    if (!id || !label || !kind || !location || !files) return std::nullopt;
    if (bytes == json.end() || !bytes->is_number_integer()) return std::nullopt;
    entry.id = *id;
    entry.label = *label;
    entry.kind = *kind;
    entry.location = *location;
    entry.bytes = byteCount(*bytes);
    entry.scannedIn = foldersIn(json);
    for (const auto& file : *files) {
        auto decoded = decodeFile(file);
        if (!decoded) return std::nullopt;
        entry.files.push_back(std::move(*decoded));
    }
    return entry;
}

} // namespace

bool isRecordable(const std::string& text) {
    try {
        Json(text).dump();
        return true;
    } catch (const Json::exception&) {
        return false;
    }
}

bool isSingleComponent(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

EncodedManifest encodeManifest(const UndoShelf::Sweep& sweep, bool pretty) {
    Json entries = Json::array();
    for (const auto& entry : sweep.entries)
        entries.push_back(entryJson(entry));
    // nlohmann's objects keep their keys sorted, which is the manifest's order.
    Json json{{"id", sweep.id},
              {"date", formatIso8601(sweep.date)},
              {"expires", formatIso8601(sweep.expires)},
              {"entries", entries}};
    try {
        return {pretty ? json.dump(2) + "\n" : json.dump(), {}};
    } catch (const Json::exception& error) {
        return {std::nullopt, "a name in it is not valid text (" + std::string(error.what()) + ")"};
    }
}

std::optional<UndoShelf::Sweep> decodeManifest(const std::string& text) {
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    UndoShelf::Sweep sweep;
    auto id = stringAt(json, "id");
    auto date = dateAt(json, "date");
    auto expires = dateAt(json, "expires");
    const Json* entries = arrayAt(json, "entries");
    if (!id || !isSingleComponent(*id) || !date || !expires || !entries) return std::nullopt;
    sweep.id = *id;
    sweep.date = *date;
    sweep.expires = *expires;
    for (const auto& entry : *entries) {
        auto decoded = decodeEntry(entry);
        if (!decoded) return std::nullopt;
        sweep.entries.push_back(std::move(*decoded));
    }
    return sweep;
}

} // namespace kelvora

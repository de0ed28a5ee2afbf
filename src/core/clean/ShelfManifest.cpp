#include "clean/ShelfManifest.h"

#include "platform/Iso8601.h"
#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace kelvora {

namespace {

using Json = nlohmann::json;
using Entry = UndoShelf::Entry;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

} // namespace

std::string hexText(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

namespace {

std::optional<std::string> bytesOfHex(const std::string& text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (text.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = digit(text[i]);
        int low = digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

Json fileJson(const Entry::File& file) {
    Json json{{"original", file.original}, {"stored", file.stored}};
    // A name a file system took but that is not text is written readable for a person, and
    // as its bytes for putting it back; an older reader sees the readable one.
    if (!isValidUtf8(file.stored)) {
        json["stored"] = repairedUtf8(file.stored);
        json["storedHex"] = hexText(file.stored);
    }
    if (file.identity) {
        json["size"] = file.identity->size;
        json["device"] = file.identity->device;
        json["inode"] = file.identity->inode;
    }
    return json;
}

// The folders' paths where an older reader looks for them, their identities beside them.
void addFolders(Json& json, const std::vector<Entry::Folder>& folders) {
    if (folders.empty()) return;
    Json paths = Json::array();
    Json identities = Json::array();
    for (const auto& folder : folders) {
        paths.push_back(folder.path);
        identities.push_back(folder.identity ? Json{{"device", folder.identity->device},
                                                    {"inode", folder.identity->inode}}
                                             : Json());
    }
    json["scannedIn"] = std::move(paths);
    json["scannedInIdentity"] = std::move(identities);
}

Json entryJson(const Entry& entry) {
    Json files = Json::array();
    for (const auto& file : entry.files)
        files.push_back(fileJson(file));
    Json json{{"id", entry.id},       {"label", entry.label},
              {"kind", entry.kind},   {"location", entry.location},
              {"bytes", entry.bytes}, {"files", std::move(files)}};
    addFolders(json, entry.scannedIn);
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
std::optional<Entry::File::Identity> identityIn(const Json& json) {
    auto size = unsignedAt(json, "size");
    auto device = unsignedAt(json, "device");
    auto inode = unsignedAt(json, "inode");
    if (!size || !device || !inode || *size > uint64_t(std::numeric_limits<int64_t>::max()))
        return std::nullopt;
    return Entry::File::Identity{static_cast<int64_t>(*size), *device, *inode};
}

std::optional<Entry::Folder::Identity> folderIdentityIn(const Json& json) {
    if (!json.is_object()) return std::nullopt;
    auto device = unsignedAt(json, "device");
    auto inode = unsignedAt(json, "inode");
    if (!device || !inode) return std::nullopt;
    return Entry::Folder::Identity{*device, *inode};
}

std::vector<Entry::Folder> foldersIn(const Json& json) {
    std::vector<Entry::Folder> folders;
    const Json* paths = arrayAt(json, "scannedIn");
    if (!paths) return folders;
    const Json* identities = arrayAt(json, "scannedInIdentity");
    // Identities that do not pair with the paths (an older writer kept one list) are not
    // guessed at.
    if (identities && identities->size() != paths->size()) identities = nullptr;
    for (size_t i = 0; i < paths->size(); ++i)
        if ((*paths)[i].is_string())
            folders.push_back({(*paths)[i].get<std::string>(),
                               identities ? folderIdentityIn((*identities)[i]) : std::nullopt});
    return folders;
}

// The name a file is stored under: its bytes when they were written beside it.
std::optional<std::string> storedNameIn(const Json& json, bool repaired) {
    if (auto hex = stringAt(json, "storedHex"))
        if (auto bytes = bytesOfHex(*hex); bytes && isSingleComponent(*bytes)) return bytes;
    auto stored = stringAt(json, "stored");
    // Bytes that were not text were replaced before reading: such a name leads nowhere.
    if (!stored || (repaired && stored->find(kReplacement) != std::string::npos))
        return std::nullopt;
    return stored;
}

std::optional<Entry::File> decodeFile(const Json& json, bool repaired) {
    if (!json.is_object()) return std::nullopt;
    auto original = stringAt(json, "original");
    auto stored = storedNameIn(json, repaired);
    if (!original || !stored || !isSingleComponent(*stored)) return std::nullopt;
    if (repaired && original->find(kReplacement) != std::string::npos) return std::nullopt;
    return Entry::File{std::move(*original), std::move(*stored), identityIn(json)};
}

std::optional<Entry> decodeEntry(const Json& json, bool repaired) {
    if (!json.is_object()) return std::nullopt;
    Entry entry;
    auto id = stringAt(json, "id");
    auto label = stringAt(json, "label");
    auto kind = stringAt(json, "kind");
    auto location = stringAt(json, "location");
    auto bytes = json.find("bytes");
    const Json* files = arrayAt(json, "files");
    if (!id || !label || !kind || !location || !files) return std::nullopt;
    if (bytes == json.end() || !bytes->is_number_integer()) return std::nullopt;
    entry.id = std::move(*id);
    entry.label = std::move(*label);
    entry.kind = std::move(*kind);
    entry.location = std::move(*location);
    entry.bytes = byteCount(*bytes);
    entry.scannedIn = foldersIn(json);
    entry.files.reserve(files->size());
    for (const auto& file : *files) {
        auto decoded = decodeFile(file, repaired);
        if (!decoded) return std::nullopt;
        entry.files.push_back(std::move(*decoded));
    }
    return entry;
}

// Takes each entry out of the parse as soon as it is whole, so that the tree built holds
// one entry at a time, never the whole clean-up.
class EntryReader {
public:
    explicit EntryReader(bool repaired) : repaired_(repaired) {}

    bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        if (depth == 1) {
            if (event == Event::key) {
                inEntries_ = false;
                key_ = parsed.get<std::string>();
            } else if (event == Event::array_start && key_ == "entries") {
                // A key given twice counts once, the last, as for any other key.
                inEntries_ = true;
                decoded_.entries.clear();
                decoded_.unreadableEntries = 0;
            }
            return true;
        }
        if (!inEntries_ || depth != 2 || event == Event::object_start ||
            event == Event::array_start || event == Event::key)
            return true;
        std::optional<Entry> entry =
            event == Event::object_end ? decodeEntry(parsed, repaired_) : std::nullopt;
        if (entry)
            decoded_.entries.push_back(std::move(*entry));
        else
            ++decoded_.unreadableEntries;
        return false;
    }

    struct Entries {
        std::vector<Entry> entries;
        std::size_t unreadableEntries = 0;
    };
    Entries take() { return std::move(decoded_); }

private:
    bool repaired_;
    bool inEntries_ = false;
    std::string key_;
    Entries decoded_;
};

std::optional<DecodedManifest> decodeText(const std::string& text, bool repaired) {
    EntryReader reader(repaired);
    Json json = Json::parse(
        text,
        [&reader](int depth, Json::parse_event_t event, Json& parsed) {
            return reader(depth, event, parsed);
        },
        false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    auto id = stringAt(json, "id");
    auto date = dateAt(json, "date");
    auto expires = dateAt(json, "expires");
    if (!id || !isSingleComponent(*id) || !date || !expires || !arrayAt(json, "entries"))
        return std::nullopt;
    EntryReader::Entries read = reader.take();
    read.entries.shrink_to_fit();
    return DecodedManifest{{std::move(*id), *date, *expires, std::move(read.entries)},
                           read.unreadableEntries};
}

} // namespace

bool isRecordable(const std::string& text) {
    return isValidUtf8(text);
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
              {"entries", std::move(entries)}};
    try {
        return {pretty ? json.dump(2) + "\n" : json.dump(), {}};
    } catch (const Json::exception& error) {
        return {std::nullopt, "a name in it is not valid text (" + std::string(error.what()) + ")"};
    }
}

std::optional<DecodedManifest> decodeManifest(const std::string& text) {
    if (auto decoded = decodeText(text, false)) return decoded;
    // Bytes that are not text (written by hand, or by a tool that did not check) make
    // nothing but the entries holding them unreadable.
    if (isValidUtf8(text)) return std::nullopt;
    return decodeText(repairedUtf8(text), true);
}

} // namespace kelvora

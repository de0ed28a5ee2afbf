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

std::string storedNameID(const std::string& stored) {
    return isValidUtf8(stored) ? stored : "stored-" + hexText(stored);
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
    if (entry.partlyRead) json["partlyRead"] = true;
    return json;
}

// The fields of one record, each read only when it is there and of its type. A field that
// is not (or one that must be there and is missing) leaves the record not read whole.
class Fields {
public:
    Fields(const Json& json, bool& whole) : json_(json), whole_(whole) {}

    // `noted` for a field noted only since a later version: missing, it is as if not noted.
    template <typename Is> const Json* at(const char* key, Is is, bool noted = false) {
        auto it = json_.find(key);
        if (it == json_.end()) {
            if (!noted) whole_ = false;
            return nullptr;
        }
        if (!is(*it)) {
            whole_ = false;
            return nullptr;
        }
        return &*it;
    }
    std::optional<std::string> text(const char* key, bool noted = false) {
        const Json* value = at(
            key, [](const Json& j) { return j.is_string(); }, noted);
        return value ? std::optional(value->get<std::string>()) : std::nullopt;
    }
    const Json* array(const char* key, bool noted = false) {
        return at(
            key, [](const Json& j) { return j.is_array(); }, noted);
    }
    std::optional<uint64_t> count(const char* key) {
        const Json* value = at(
            key, [](const Json& j) { return j.is_number_unsigned(); }, true);
        return value ? std::optional(value->get<uint64_t>()) : std::nullopt;
    }
    bool has(const char* key) const { return json_.contains(key); }
    void damaged() { whole_ = false; }

private:
    const Json& json_;
    bool& whole_;
};

std::optional<Date> dateAt(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    const std::string text = it->get<std::string>();
    // Only the form the shelf writes: UTC to the whole second, ending in Z. A fraction, an
    // offset or an impossible day makes the manifest unreadable rather than half-understood.
    auto date = parseIso8601(text);
    if (!date || formatIso8601(*date) != text) return std::nullopt;
    return date;
}

// A hand-edited size is never negative, and one beyond the largest figure is pinned there.
int64_t byteCount(const Json& number) {
    if (number.is_number_unsigned())
        return static_cast<int64_t>(
            std::min<uint64_t>(number.get<uint64_t>(), std::numeric_limits<int64_t>::max()));
    return std::max<int64_t>(number.get<int64_t>(), 0);
}

// Noted since a later version, so optional: what is missing is as if not noted.
std::optional<Entry::File::Identity> identityIn(Fields& fields) {
    if (!fields.has("size") && !fields.has("device") && !fields.has("inode")) return std::nullopt;
    auto size = fields.count("size");
    auto device = fields.count("device");
    auto inode = fields.count("inode");
    if (!size || !device || !inode || *size > uint64_t(std::numeric_limits<int64_t>::max())) {
        fields.damaged();
        return std::nullopt;
    }
    return Entry::File::Identity{static_cast<int64_t>(*size), *device, *inode};
}

std::optional<Entry::Folder::Identity> folderIdentityIn(const Json& json, bool& whole) {
    if (json.is_null()) return std::nullopt;
    Fields fields(json, whole);
    if (!json.is_object()) {
        fields.damaged();
        return std::nullopt;
    }
    auto device = fields.count("device");
    auto inode = fields.count("inode");
    if (!device || !inode) {
        fields.damaged();
        return std::nullopt;
    }
    return Entry::Folder::Identity{*device, *inode};
}

std::vector<Entry::Folder> foldersIn(Fields& fields, bool& whole) {
    std::vector<Entry::Folder> folders;
    const Json* paths = fields.array("scannedIn", true);
    if (!paths) return folders;
    const Json* identities = fields.array("scannedInIdentity", true);
    // Identities that do not pair with the paths are not guessed at.
    if (identities && identities->size() != paths->size()) {
        fields.damaged();
        identities = nullptr;
    }
    for (size_t i = 0; i < paths->size(); ++i) {
        if (!(*paths)[i].is_string()) {
            fields.damaged();
            continue;
        }
        folders.push_back({(*paths)[i].get<std::string>(),
                           identities ? folderIdentityIn((*identities)[i], whole) : std::nullopt});
    }
    return folders;
}

// Bytes that were not text were replaced before reading: a text holding a replacement is not
// what was written, and a name or place so read leads nowhere.
bool replaced(const std::string& text, bool repaired) {
    return repaired && text.find(kReplacement) != std::string::npos;
}

// The name a file is stored under: its bytes when they were written beside it.
std::optional<std::string> storedNameIn(Fields& fields, bool repaired) {
    if (auto hex = fields.text("storedHex", true)) {
        if (auto bytes = bytesOfHex(*hex); bytes && isSingleComponent(*bytes)) return bytes;
        fields.damaged();
    }
    auto stored = fields.text("stored");
    if (!stored || replaced(*stored, repaired) || !isSingleComponent(*stored)) {
        fields.damaged();
        return std::nullopt;
    }
    return stored;
}

// A file whose stored name cannot be read is left out: what it stored is listed by that name.
// One whose place cannot be read has no known place to go back to.
std::optional<Entry::File> decodeFile(const Json& json, bool repaired, bool& whole) {
    Fields fields(json, whole);
    if (!json.is_object()) {
        fields.damaged();
        return std::nullopt;
    }
    auto stored = storedNameIn(fields, repaired);
    if (!stored) return std::nullopt;
    auto original = fields.text("original");
    if (original && replaced(*original, repaired)) {
        fields.damaged();
        original.reset();
    }
    return Entry::File{original.value_or(""), std::move(*stored), identityIn(fields)};
}

// An entry keeps every field of it that can be read; one of no file whose stored name can be
// read ties nothing stored to it and is left out. What cannot be read is as an entry known
// by its stored name alone has it: named by its first file, with the place that file came
// from; its size is measured from what is stored.
std::optional<Entry> decodeEntry(const Json& json, bool repaired, bool& whole) {
    bool entryWhole = true;
    Fields fields(json, entryWhole);
    if (!json.is_object()) {
        whole = false;
        return std::nullopt;
    }
    Entry entry;
    const Json* files = fields.array("files");
    if (files) {
        entry.files.reserve(files->size());
        for (const auto& file : *files)
            if (auto decoded = decodeFile(file, repaired, entryWhole))
                entry.files.push_back(std::move(*decoded));
    }
    if (!files || (entry.files.empty() && !files->empty())) {
        whole = false;
        return std::nullopt;
    }
    const std::string first = entry.files.empty() ? std::string() : entry.files.front().stored;
    entry.id = fields.text("id").value_or(storedNameID(first));
    entry.label = fields.text("label").value_or(repairedUtf8(first));
    entry.kind = fields.text("kind").value_or("");
    entry.location =
        fields.text("location")
            .value_or(entry.files.empty() ? std::string() : entry.files.front().original);
    if (const Json* bytes = fields.at("bytes", [](const Json& j) { return j.is_number_integer(); }))
        entry.bytes = byteCount(*bytes);
    entry.scannedIn = foldersIn(fields, entryWhole);
    const Json* noted = fields.at(
        "partlyRead", [](const Json& j) { return j.is_boolean(); }, true);
    entry.partlyRead = !entryWhole || (noted && noted->get<bool>());
    whole = whole && entryWhole;
    return entry;
}

// Reads a record event by event: the clean-up's own fields into a small tree, and each entry
// into the entries read as soon as it is whole, so that the tree never holds more than one
// entry, never the whole clean-up. A record that ends part way, as a write cut short by a
// crash leaves it (or with the zero bytes a crash can leave in place of the rest), keeps what
// came before the cut.
class RecordReader : public nlohmann::json_sax<Json> {
public:
    RecordReader(const std::string& text, bool repaired) : text_(text), repaired_(repaired) {}

    bool null() override { return add(nullptr); }
    bool boolean(bool value) override { return add(value); }
    bool number_integer(number_integer_t value) override { return add(value); }
    bool number_unsigned(number_unsigned_t value) override { return add(value); }
    bool number_float(number_float_t value, const string_t&) override { return add(value); }
    bool string(string_t& value) override { return add(std::move(value)); }
    bool binary(binary_t& value) override { return add(Json::binary(std::move(value))); }
    bool key(string_t& key) override {
        key_ = std::move(key);
        return true;
    }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override {
        // A key given twice counts once, the last, as for any other key.
        if (open_.size() == 1 && key_ == "entries") {
            open(Json::array());
            entries_ = open_.back();
            read_ = {};
            return true;
        }
        return open(Json::array());
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception&) override {
        cutShort_ =
            position > 0 && text_.find_first_not_of('\0', position - 1) == std::string::npos;
        return false;
    }

    Json& record() { return root_; }
    bool cutShort() const { return cutShort_; }

    struct Entries {
        std::vector<Entry> entries;
        std::size_t unreadableEntries = 0;
        bool whole = true;
    };
    Entries take() { return std::move(read_); }

private:
    Json* place(Json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& slot = parent[key_];
        slot = std::move(value);
        return &slot;
    }
    bool add(Json value) {
        place(std::move(value));
        takeEntry();
        return true;
    }
    bool open(Json container) {
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        takeEntry();
        return true;
    }
    // An entry just read whole leaves the tree at once.
    void takeEntry() {
        if (!entries_ || open_.size() != 2 || open_.back() != entries_ || entries_->empty()) return;
        std::optional<Entry> entry = decodeEntry(entries_->back(), repaired_, read_.whole);
        if (entry)
            read_.entries.push_back(std::move(*entry));
        else
            ++read_.unreadableEntries;
        entries_->get_ref<Json::array_t&>().pop_back();
    }

    const std::string& text_;
    bool repaired_;
    Json root_;
    std::vector<Json*> open_;
    std::string key_;
    Json* entries_ = nullptr;
    Entries read_;
    bool cutShort_ = false;
};

std::optional<DecodedManifest> decodeText(const std::string& text, bool repaired) {
    RecordReader reader(text, repaired);
    bool parsed = Json::sax_parse(text, &reader);
    const Json& json = reader.record();
    if ((!parsed && !reader.cutShort()) || !json.is_object()) return std::nullopt;
    const bool cut = !parsed;
    // Cut short, a field of the clean-up's own that is missing was cut off; one that is there
    // was read whole and must be right.
    auto id = json.find("id");
    auto date = dateAt(json, "date");
    auto expires = dateAt(json, "expires");
    auto entries = json.find("entries");
    auto fits = [&](bool there, bool right) { return there ? right : cut; };
    if (!fits(id != json.end(),
              id != json.end() && id->is_string() && isSingleComponent(id->get<std::string>())) ||
        !fits(json.contains("date"), date.has_value()) ||
        !fits(json.contains("expires"), expires.has_value()) ||
        !fits(entries != json.end(), entries != json.end() && entries->is_array()))
        return std::nullopt;
    // Not one field of the clean-up read: nothing says this is one.
    if (id == json.end() && !date) return std::nullopt;
    RecordReader::Entries read = reader.take();
    read.entries.shrink_to_fit();
    DecodedManifest decoded{{id != json.end() ? id->get<std::string>() : std::string(),
                             date.value_or(Date{}), expires.value_or(Date{}),
                             std::move(read.entries)},
                            read.unreadableEntries,
                            read.whole && !repaired && !cut};
    decoded.cutShort = cut;
    decoded.dateRead = date.has_value();
    decoded.expiresRead = expires.has_value();
    return decoded;
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

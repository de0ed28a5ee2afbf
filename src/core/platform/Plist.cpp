#include "platform/Plist.h"

#include "platform/Date.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace kelvora {

namespace {

// Property-list dates count seconds from 2001-01-01.
constexpr double kPlistEpoch = 978307200.0;

std::string base64(const char* data, uint64_t size) {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (uint64_t i = 0; i < size; i += 3) {
        uint32_t n = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < size) n |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < size) n |= static_cast<unsigned char>(data[i + 2]);
        out += table[(n >> 18) & 63];
        out += table[(n >> 12) & 63];
        out += i + 1 < size ? table[(n >> 6) & 63] : '=';
        out += i + 2 < size ? table[n & 63] : '=';
    }
    return out;
}

// Real property lists hold a few thousand values at most. Shared references let a small
// binary list stand for far more (each level naming the next twice doubles it, one large
// value named a thousand times is a thousand copies), so both the values and the bytes they
// expand to are counted, and a list past either bound is refused as unreadable.
constexpr uint64_t kMaxNodes = 100'000;
constexpr uint64_t kMaxExpandedBytes = 32 << 20;
// Far above any real property list; a larger file is not read.
constexpr size_t kMaxFileSize = 4 * 1024 * 1024;

// Counts the values it converts, and stops converting once past the bound.
Json toJson(plist_t node, uint64_t& converted) {
    if (++converted > kMaxNodes) return Json();
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return Json(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // Negative integers come back as their two's-complement bits.
        if (value > static_cast<uint64_t>(INT64_MAX)) return Json(static_cast<int64_t>(value));
        return Json(static_cast<int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return Json(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char* text = nullptr;
        if (plist_get_node_type(node) == PLIST_KEY)
            plist_get_key_val(node, &text);
        else
            plist_get_string_val(node, &text);
        Json out = text ? std::string(text) : std::string();
        free(text);
        return out;
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return Json(formatIso8601(dateFromEpochSeconds(kPlistEpoch + sec + usec / 1e6)));
    }
    case PLIST_DATA: {
        char* data = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &data, &length);
        Json out = base64(data, length);
        free(data);
        return out;
    }
    case PLIST_ARRAY: {
        Json out = Json::array();
        uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count && converted <= kMaxNodes; ++i)
            out.push_back(toJson(plist_array_get_item(node, i), converted));
        return out;
    }
    case PLIST_DICT: {
        Json out = Json::object();
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        while (converted <= kMaxNodes) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key) break;
            out[key] = toJson(value, converted);
            free(key);
        }
        free(iter);
        return out;
    }
    default:
        return Json();
    }
}

plist_t fromJson(const Json& value) {
    if (value.is_boolean()) return plist_new_bool(value.get<bool>());
    if (value.is_number_unsigned()) return plist_new_uint(value.get<uint64_t>());
    if (value.is_number_integer())
        return plist_new_uint(static_cast<uint64_t>(value.get<int64_t>()));
    if (value.is_number_float()) return plist_new_real(value.get<double>());
    if (value.is_string()) return plist_new_string(value.get<std::string>().c_str());
    if (value.is_array()) {
        plist_t array = plist_new_array();
        for (const auto& item : value)
            plist_array_append_item(array, fromJson(item));
        return array;
    }
    plist_t dict = plist_new_dict();
    if (value.is_object())
        for (auto it = value.begin(); it != value.end(); ++it)
            plist_dict_set_item(dict, it.key().c_str(), fromJson(it.value()));
    return dict;
}

// Real property lists nest a few levels deep. One nested far deeper is damaged or made to
// harm, and reading it (ours and the library's readers both recurse) would overflow the
// stack, so it is refused before it is parsed.
constexpr size_t kMaxNesting = 300;

// Counts open elements; anything inside comments counts too, which errs on the safe side.
bool xmlWithinNesting(const std::string& text) {
    size_t depth = 0;
    for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        if (at + 1 >= text.size()) break;
        char next = text[at + 1];
        if (next == '?' || next == '!') continue;
        size_t end = text.find('>', at);
        if (end == std::string::npos) break;
        if (next == '/')
            depth -= depth > 0 ? 1 : 0;
        else if (text[end - 1] != '/' && ++depth > kMaxNesting)
            return false;
        at = end;
    }
    return true;
}

// The object graph of a binary property list: the offset table and the references that
// arrays, sets and dictionaries hold.
class BinaryObjects {
public:
    explicit BinaryObjects(const std::string& data) : data_(data) {
        if (data.size() < 8 + 32) return;
        size_t trailer = data.size() - 32;
        offsetSize_ = static_cast<unsigned char>(data[trailer + 6]);
        refSize_ = static_cast<unsigned char>(data[trailer + 7]);
        count_ = number(trailer + 8, 8).value_or(0);
        top_ = number(trailer + 16, 8).value_or(UINT64_MAX);
        table_ = number(trailer + 24, 8).value_or(UINT64_MAX);
        bool sizesOK = offsetSize_ >= 1 && offsetSize_ <= 8 && refSize_ >= 1 && refSize_ <= 8;
        valid_ = sizesOK && count_ >= 1 && top_ < count_ && table_ < trailer &&
                 count_ <= (trailer - table_) / offsetSize_;
    }

    bool valid() const { return valid_; }
    uint64_t count() const { return count_; }
    uint64_t top() const { return top_; }

    // The objects this one refers to; none for a malformed object.
    std::optional<std::vector<uint64_t>> children(uint64_t object) const {
        auto head = headerOf(object);
        if (!head) return std::nullopt;
        if (head->kind != 0xA && head->kind != 0xC && head->kind != 0xD)
            return std::vector<uint64_t>{};
        uint64_t refs = head->kind == 0xD ? head->count * 2 : head->count;
        if (head->count > table_ || head->next > table_ || refs > (table_ - head->next) / refSize_)
            return std::nullopt;
        std::vector<uint64_t> out;
        for (uint64_t i = 0; i < refs; ++i) {
            auto ref = number(head->next + i * refSize_, refSize_);
            if (!ref || *ref >= count_) return std::nullopt;
            out.push_back(*ref);
        }
        return out;
    }

    // The bytes the object's own value takes once read, apart from what it refers to: a
    // string's or a data value's length, a few for any other.
    uint64_t ownBytes(uint64_t object) const {
        constexpr uint64_t kSmall = 16;
        auto head = headerOf(object);
        if (!head) return kSmall;
        switch (head->kind) {
        case 0x4:
        case 0x5:
            return kSmall + head->count;
        case 0x6:
            return kSmall + 2 * std::min<uint64_t>(head->count, UINT64_MAX / 4);
        default:
            return kSmall;
        }
    }

private:
    // An object's kind, its count of items (bytes, characters or references) and where
    // what follows its marker begins.
    struct Header {
        unsigned kind = 0;
        uint64_t count = 0;
        uint64_t next = 0;
    };
    std::optional<Header> headerOf(uint64_t object) const {
        auto at = number(table_ + object * offsetSize_, offsetSize_);
        if (!at || *at >= table_) return std::nullopt;
        unsigned char marker = static_cast<unsigned char>(data_[*at]);
        Header head{static_cast<unsigned>(marker >> 4), static_cast<uint64_t>(marker & 0xF),
                    *at + 1};
        if (head.count == 0xF && head.kind >= 0x4 && head.kind != 0x8) {
            if (head.next >= table_) return std::nullopt;
            unsigned char sized = static_cast<unsigned char>(data_[head.next]);
            size_t width = size_t{1} << (sized & 0xF);
            if ((sized >> 4) != 0x1 || width > 8) return std::nullopt;
            auto counted = number(head.next + 1, width);
            if (!counted) return std::nullopt;
            head.count = *counted;
            head.next += 1 + width;
        }
        return head;
    }

    std::optional<uint64_t> number(uint64_t at, size_t width) const {
        if (at > data_.size() || width > data_.size() - at) return std::nullopt;
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value = (value << 8) | static_cast<unsigned char>(data_[at + i]);
        return value;
    }

    const std::string& data_;
    size_t offsetSize_ = 0;
    size_t refSize_ = 0;
    uint64_t count_ = 0;
    uint64_t top_ = 0;
    uint64_t table_ = 0;
    bool valid_ = false;
};

// Depth-first without recursion, each object's depth and the values it expands to (the
// parser copies a shared object wherever it is referred to) worked out once, so shared
// objects cost nothing twice here and a loop of references is refused.
bool binaryWithinBounds(const std::string& data) {
    BinaryObjects objects(data);
    if (!objects.valid()) return false;
    enum : uint8_t { unseen, open, done };
    std::vector<uint8_t> state(objects.count(), unseen);
    std::vector<uint32_t> depth(objects.count(), 1);
    std::vector<uint64_t> expanded(objects.count(), 1);
    std::vector<uint64_t> bytes(objects.count(), 0);
    for (uint64_t object = 0; object < objects.count(); ++object)
        bytes[object] = std::min(objects.ownBytes(object), kMaxExpandedBytes + 1);
    auto addExpanded = [&](uint64_t parent, uint64_t child) {
        expanded[parent] = std::min(expanded[parent] + expanded[child], kMaxNodes + 1);
        bytes[parent] = std::min(bytes[parent] + bytes[child], kMaxExpandedBytes + 1);
        return expanded[parent] <= kMaxNodes && bytes[parent] <= kMaxExpandedBytes;
    };
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> children;
        size_t next = 0;
    };
    std::vector<Frame> path;
    auto enter = [&](uint64_t object) {
        auto children = objects.children(object);
        if (!children || path.size() >= kMaxNesting) return false;
        state[object] = open;
        path.push_back({object, std::move(*children)});
        return true;
    };
    if (!enter(objects.top())) return false;
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.children.size()) {
            state[frame.object] = done;
            uint32_t reached = depth[frame.object];
            path.pop_back();
            if (path.empty()) continue;
            depth[path.back().object] = std::max(depth[path.back().object], reached + 1);
            if (!addExpanded(path.back().object, frame.object)) return false;
            continue;
        }
        uint64_t child = frame.children[frame.next++];
        if (state[child] == open) return false;
        if (state[child] == done) {
            if (depth[child] + path.size() > kMaxNesting) return false;
            depth[frame.object] = std::max(depth[frame.object], depth[child] + 1);
            if (!addExpanded(frame.object, child)) return false;
        } else if (!enter(child)) {
            return false;
        }
    }
    return depth[objects.top()] <= kMaxNesting && bytes[objects.top()] <= kMaxExpandedBytes;
}

bool withinBounds(const std::string& bytes) {
    if (bytes.size() > kMaxFileSize) return false;
    if (bytes.compare(0, 6, "bplist") == 0) return binaryWithinBounds(bytes);
    return xmlWithinNesting(bytes);
}

} // namespace

std::optional<Json> parsePlist(const std::string& bytes) {
    if (bytes.empty() || !withinBounds(bytes)) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return std::nullopt;
    uint64_t converted = 0;
    Json out = toJson(root, converted);
    plist_free(root);
    if (converted > kMaxNodes) return std::nullopt;
    return out;
}

std::optional<Json> readPlist(const std::string& path) {
    auto bytes = readFile(path, kMaxFileSize);
    if (!bytes) return std::nullopt;
    return parsePlist(*bytes);
}

std::string plistText(const Json& value, PlistFormat format) {
    plist_t root = fromJson(value);
    char* out = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::xml)
        plist_to_xml(root, &out, &length);
    else
        plist_to_bin(root, &out, &length);
    std::string text = out ? std::string(out, length) : std::string();
    free(out);
    plist_free(root);
    return text;
}

bool writePlist(const Json& value, const std::string& path, PlistFormat format) {
    return writeFileAtomically(path, plistText(value, format)).ok;
}

std::optional<std::string> plistString(const Json& dict, const std::string& key) {
    if (!dict.is_object()) return std::nullopt;
    auto it = dict.find(key);
    if (it == dict.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<bool> plistBool(const Json& dict, const std::string& key) {
    if (!dict.is_object()) return std::nullopt;
    auto it = dict.find(key);
    if (it == dict.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
}

} // namespace kelvora

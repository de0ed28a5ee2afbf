#include "platform/Plist.h"

#include "platform/Date.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"

#include <plist/plist.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

Json toJson(plist_t node) {
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
        for (uint32_t i = 0; i < count; ++i)
            out.push_back(toJson(plist_array_get_item(node, i)));
        return out;
    }
    case PLIST_DICT: {
        Json out = Json::object();
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        while (true) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!key) break;
            out[key] = toJson(value);
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

} // namespace

std::optional<Json> parsePlist(const std::string& bytes) {
    if (bytes.empty()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return std::nullopt;
    Json out = toJson(root);
    plist_free(root);
    return out;
}

std::optional<Json> readPlist(const std::string& path) {
    // Property lists come from folders that other programs fill: a pipe there would block the
    // read for good and a device would never end, so only regular files are read.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            if (n < 0) return std::nullopt;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return parsePlist(bytes);
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

#include "login/ReplacedLinks.h"

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/Url.h"

#include <nlohmann/json.hpp>

namespace kelvora {

namespace {

std::string text(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::optional<ReplacedLinks> decode(const std::string& bytes) {
    auto doc = nlohmann::json::parse(bytes, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
    auto links = doc.find("links");
    if (links == doc.end() || !links->is_array()) return std::nullopt;
    ReplacedLinks note;
    for (const auto& link : *links) {
        if (!link.is_object()) return std::nullopt;
        const std::string entry = text(link, "entry");
        ReplacedLinks::Link kept{text(link, "target"), text(link, "written")};
        if (entry.empty() || kept.target.empty() || kept.written.empty()) return std::nullopt;
        note.byEntry[entry] = std::move(kept);
    }
    return note;
}

// None when a path or a text is not UTF-8, which JSON cannot hold.
std::optional<std::string> encode(const ReplacedLinks& note) {
    nlohmann::ordered_json links = nlohmann::ordered_json::array();
    for (const auto& [entry, link] : note.byEntry)
        links.push_back(nlohmann::ordered_json{
            {"entry", entry}, {"target", link.target}, {"written", link.written}});
    nlohmann::ordered_json doc;
    doc["links"] = links;
    try {
        return doc.dump();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

FileResult change(const std::string& file, const std::function<bool(ReplacedLinks&)>& edit) {
    bool notText = false;
    FileResult changed = changeLockedFile(
        file, ReplacedLinks::kMaxFileBytes,
        [&](const std::optional<std::string>& bytes) -> std::optional<std::string> {
            ReplacedLinks note = bytes ? decode(*bytes).value_or(ReplacedLinks{}) : ReplacedLinks{};
            if (!edit(note)) return std::nullopt;
            auto encoded = encode(note);
            notText = !encoded;
            return encoded;
        });
    if (notText)
        return FileResult::failure("Could not write " + file + ": a name in it is not UTF-8");
    return changed;
}

} // namespace

std::string ReplacedLinks::defaultFile() {
    return joinPath(AppPaths::appDataFolder(), "replaced-links.json");
}

ReplacedLinks ReplacedLinks::load(const std::string& file) {
    auto bytes = readFile(file, kMaxFileBytes);
    return bytes ? decode(*bytes).value_or(ReplacedLinks{}) : ReplacedLinks{};
}

FileResult ReplacedLinks::note(const std::string& file, const std::string& entry,
                               const Link& link) {
    return change(file, [&](ReplacedLinks& note) {
        // An entry the user has since removed gives nothing back.
        std::erase_if(note.byEntry, [](const auto& kept) { return !fileExists(kept.first); });
        note.byEntry[entry] = link;
        return true;
    });
}

FileResult ReplacedLinks::forget(const std::string& file, const std::string& entry) {
    if (!load(file).byEntry.count(entry)) return FileResult::success();
    return change(file, [&](ReplacedLinks& note) { return note.byEntry.erase(entry) > 0; });
}

} // namespace kelvora

#include "controller/SettingsStore.h"

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace kelvora {

namespace {

std::optional<nlohmann::json> parsedDocument(const std::optional<std::string>& text) {
    if (!text) return nlohmann::json::object();
    auto parsed = nlohmann::json::parse(*text, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
    return parsed;
}

} // namespace

SettingsStore::SettingsStore(std::string file) : file_(std::move(file)) {}

SettingsStore SettingsStore::standard() {
    return SettingsStore(AppPaths::settingsFile());
}

std::string SettingsStore::lockFile() const {
    return file_ + ".lock";
}

nlohmann::json SettingsStore::document() const {
    if (!fileExists(file_)) return nlohmann::json::object();
    FileLock lock(lockFile(), false);
    return parsedDocument(readFile(file_)).value_or(nlohmann::json::object());
}

std::optional<nlohmann::json> SettingsStore::value(const std::string& key) const {
    nlohmann::json doc = document();
    auto it = doc.find(key);
    if (it == doc.end()) return std::nullopt;
    return *it;
}

bool SettingsStore::set(const std::string& key, const nlohmann::json& value) {
    return change(key, value);
}

bool SettingsStore::remove(const std::string& key) {
    return change(key, std::nullopt);
}

bool SettingsStore::change(const std::string& key, const std::optional<nlohmann::json>& value) {
    if (!createDirectories(parentPath(file_))) return false;
    FileLock lock(lockFile(), true);
    if (!lock.locked()) return false;
    auto text = readFile(file_);
    if (!text && fileExists(file_)) return false;
    auto existing = parsedDocument(text);
    // A damaged document is kept beside the new one rather than written over.
    if (!existing) std::rename(file_.c_str(), (file_ + ".damaged").c_str());
    nlohmann::json doc = existing.value_or(nlohmann::json::object());
    if (value)
        doc[key] = *value;
    else if (!doc.contains(key))
        return true;
    else
        doc.erase(key);
    return bool(writeFileAtomically(file_, doc.dump(2) + "\n"));
}

} // namespace kelvora

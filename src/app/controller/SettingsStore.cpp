#include "controller/SettingsStore.h"

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Url.h"

namespace kelvora {

namespace {

using Reading = SettingsStore::Reading;

Reading damaged(std::string reason) {
    Reading reading;
    reading.state = Reading::State::damaged;
    reading.reason = std::move(reason);
    return reading;
}

Reading readingOf(const BoundedRead& bytes) {
    switch (bytes.outcome) {
    case BoundedRead::Outcome::missing:
        return {};
    case BoundedRead::Outcome::tooLarge:
        return damaged("it is far larger than any settings file");
    case BoundedRead::Outcome::unreadable: {
        Reading reading;
        reading.state = Reading::State::unreadable;
        reading.reason = bytes.reason;
        return reading;
    }
    case BoundedRead::Outcome::read:
        break;
    }
    auto parsed = nlohmann::json::parse(bytes.bytes, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return damaged("what it holds are not settings Kelvora can read");
    Reading reading;
    reading.state = Reading::State::fine;
    reading.document = std::move(parsed);
    return reading;
}

} // namespace

SettingsStore::SettingsStore(std::string file) : file_(std::move(file)) {}

SettingsStore SettingsStore::standard() {
    return SettingsStore(AppPaths::settingsFile());
}

std::string SettingsStore::lockFile() const {
    return file_ + ".lock";
}

std::string SettingsStore::writtenFile() const {
    return pathThroughLinks(file_);
}

std::optional<SettingsStore::Stamp> SettingsStore::stamp() const {
    return stampOf(writtenFile());
}

SettingsStore::Reading SettingsStore::read() const {
    if (!fileExists(file_)) return {};
    FileLock lock(lockFile(), false);
    // Taken before the read: a write after it shows as another stamp, so it is read again.
    std::optional<Stamp> before = stamp();
    Reading reading = readingOf(readFileAtMost(file_, kMaxBytes));
    reading.stamp = before;
    return reading;
}

nlohmann::json SettingsStore::document() const {
    return read().document;
}

std::optional<nlohmann::json> SettingsStore::value(const std::string& key) const {
    nlohmann::json doc = document();
    auto it = doc.find(key);
    if (it == doc.end()) return std::nullopt;
    return *it;
}

SettingsStore::Write SettingsStore::set(const std::string& key, const nlohmann::json& value) {
    return change(key, value);
}

SettingsStore::Write SettingsStore::remove(const std::string& key) {
    return change(key, std::nullopt);
}

FileResult SettingsStore::keepAside(const std::string& written, std::string& copy) const {
    KeptAside kept = keepAsideAsDamaged(
        written, [](const std::string& name) { return fileExists(name); },
        [&](const std::string& name) { return moveItem(written, name); });
    copy = kept.copy;
    if (!kept.result)
        return FileResult::failure("Could not keep the damaged " + file_ +
                                   " aside: " + kept.result.reason);
    return kept.result;
}

namespace {

bool changes(const Reading& reading, const std::string& key,
             const std::optional<nlohmann::json>& value) {
    if (reading.state == Reading::State::missing) return value.has_value();
    if (reading.state != Reading::State::fine) return true;
    auto it = reading.document.find(key);
    if (!value) return it != reading.document.end();
    return it == reading.document.end() || *it != *value;
}

} // namespace

SettingsStore::Write SettingsStore::change(const std::string& key,
                                           const std::optional<nlohmann::json>& value) {
    // A change to what is stored already writes nothing, so settings in a folder that
    // cannot be written say so only when something really changes.
    const std::string written = writtenFile();
    if (!changes(readingOf(readFileAtMost(written, kMaxBytes)), key, value)) return {};
    if (FileResult made = createDirectories(parentPath(written)); !made) return {made, {}};
    FileLock lock(lockFile(), true);
    if (!lock.locked())
        return {FileResult::failure("Could not write " + file_ + ": " +
                                    describeFileError(lock.error())),
                {}};
    Reading existing = readingOf(readFileAtMost(written, kMaxBytes));
    // Settings that cannot be read now may be fine later: never write over them.
    if (existing.state == Reading::State::unreadable)
        return {FileResult::failure("Could not read " + file_ + ": " + existing.reason), {}};
    Write write;
    if (existing.state == Reading::State::damaged) {
        std::string copy;
        if (FileResult kept = keepAside(written, copy); !kept) return {kept, {}};
        write.damagedCopy = copy;
    }
    nlohmann::json doc = std::move(existing.document);
    if (value)
        doc[key] = *value;
    else if (!doc.contains(key))
        return write;
    else
        doc.erase(key);
    write.result = writeFileAtomically(written, doc.dump(2) + "\n");
    return write;
}

} // namespace kelvora

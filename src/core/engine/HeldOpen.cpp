#include "engine/HeldOpen.h"

#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "model/JunkKind.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kelvora {

HeldFiles::HeldFiles(std::vector<RunningProcess> processes) : processes_(std::move(processes)) {
    for (size_t i = 0; i < processes_.size(); ++i) {
        for (const auto& file : processes_[i].openFiles)
            files_.emplace_back(file, i);
        for (const auto& place : processes_[i].heldPlaces)
            places_.emplace_back(place, i);
    }
    std::sort(files_.begin(), files_.end());
    std::sort(places_.begin(), places_.end());
}

const RunningProcess* HeldFiles::holderOfPath(const std::string& path) const {
    const auto holder = [&](auto at) { return &processes_[at->second]; };
    auto at = std::lower_bound(files_.begin(), files_.end(), std::make_pair(path, size_t{0}));
    if (at != files_.end() && at->first == path) return holder(at);
    // Everything inside the folder sorts together, right after its path and a slash.
    const std::string inside = path == "/" ? path : path + "/";
    at = std::lower_bound(files_.begin(), files_.end(), std::make_pair(inside, size_t{0}));
    if (at != files_.end() && isSameOrInside(at->first, path)) return holder(at);
    return nullptr;
}

const RunningProcess* HeldFiles::holderOf(const URL& place) const {
    RealFolders realFolders;
    return holderOf(place, realFolders);
}

const RunningProcess* HeldFiles::holderOf(const URL& place, RealFolders& realFolders) const {
    if (!place.isFileURL()) return nullptr;
    const std::string written = place.standardized().path();
    if (!places_.empty()) {
        if (auto identity = identityAt(written)) {
            auto at = std::lower_bound(places_.begin(), places_.end(),
                                       std::make_pair(*identity, size_t{0}));
            if (at != places_.end() && at->first == *identity) return &processes_[at->second];
        }
    }
    if (files_.empty()) return nullptr;
    if (auto* holder = holderOfPath(written)) return holder;
    // The place itself stays unresolved: what a link leads to is not what removing it takes.
    const std::string parent = parentPath(written);
    if (parent == written) return nullptr;
    auto [known, fresh] = realFolders.try_emplace(parent);
    if (fresh) known->second = URL::fileURL(parent, true).resolvingSymlinks().path();
    const std::string real = joinPath(known->second, lastComponent(written));
    return real == written ? nullptr : holderOfPath(real);
}

namespace {

// Whether a character goes on in a file's name as names are mostly written; any other (a
// slash, a quote, a space, '=' or ',') begins or ends the path in a text.
bool continuesName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || byte >= 0x80 || (c != '\0' && std::strchr("._-+~@", c));
}

// Whether the text names the place or something in it: "/a/nod" is not in "/a/nodump".
bool namesWithin(const std::string& text, const std::string& place) {
    for (size_t at = text.find(place); at != std::string::npos; at = text.find(place, at + 1)) {
        const size_t end = at + place.size();
        if ((at == 0 || !continuesName(text[at - 1])) &&
            (end == text.size() || !continuesName(text[end])))
            return true;
    }
    return false;
}

} // namespace

// A program whose files cannot be read keeps the older rule: a folder named after it, or
// after a word it was started with, is its own; so is a place its command line names.
const RunningProcess* HeldFiles::holderByName(const ScanItem& item) const {
    const std::string folder = item.location.lastPathComponent();
    std::vector<std::string> places;
    for (const auto& process : processes_) {
        if (!process.judgedByName) continue;
        std::vector<RunningApp> names = {{process.name, process.name}};
        for (const auto& word : process.words)
            names.push_back({word, word});
        if (DiskScanner::appUsing(folder, names)) return &process;
        if (places.empty() && item.location.isFileURL()) {
            places = bothForms(item.location);
            // A target below the item is already found through the item's own path.
            const std::string location = item.location.standardized().path();
            for (const auto& target : item.targets)
                if (target.isFileURL() && !isSameOrInside(target.standardized().path(), location))
                    for (auto& form : bothForms(target))
                        places.push_back(std::move(form));
        }
        for (const auto& word : process.commandLine)
            for (const auto& place : places)
                if (namesWithin(word, place)) return &process;
    }
    return nullptr;
}

const RunningProcess* HeldFiles::holderOf(const ScanItem& item) const {
    // The targets of one item mostly share their folder: it is resolved once.
    RealFolders realFolders;
    for (const auto& target : item.targets)
        if (auto* holder = holderOf(target, realFolders)) return holder;
    // A cache's own folder stays, but a program working in it or holding it open is using
    // what the clean-up would empty out of it.
    if (item.kind == JunkKind::caches)
        if (auto* holder = holderOf(item.location, realFolders)) return holder;
    return holderByName(item);
}

bool isCheckedForUse(const ScanItem& item) {
    switch (item.kind) {
    case JunkKind::caches:
    case JunkKind::tempFiles:
    case JunkKind::apps:
    case JunkKind::mail:
    case JunkKind::developer:
    case JunkKind::ai:
        return true;
    default:
        return item.app() || item.ai();
    }
}

void markHeldOpen(std::vector<ScanItem>& items, const OpenFilesFunction& openFiles) {
    const auto unheld = [](const ScanItem& item) {
        return !item.inUseBy && isCheckedForUse(item) && !item.targets.empty();
    };
    if (!openFiles || std::none_of(items.begin(), items.end(), unheld)) return;
    const HeldFiles held(openFiles());
    for (auto& item : items)
        if (unheld(item))
            if (auto* holder = held.holderOf(item)) item.inUseBy = holder->name;
}

} // namespace kelvora

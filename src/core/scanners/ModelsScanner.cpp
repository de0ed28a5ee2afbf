#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "platform/Saturating.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace kelvora {

namespace {

using AIKind = ScanItem::AIInfo::Kind;

// Models pulled from the public registry are named without its host.
constexpr const char* kPublicRegistry = "registry.ollama.ai";

struct Manifest {
    URL url;
    std::string name;
    std::set<std::string> layers;
};

// A model's manifest names its few layers; a larger file counts as damaged.
constexpr size_t kMaxManifestBytes = 1 << 20;

std::optional<std::set<std::string>> manifestDigests(const std::string& path) {
    auto text = readFile(path, kMaxManifestBytes);
    if (!text) return std::nullopt;
    Json root = Json::parse(*text, nullptr, false);
    if (!root.is_object()) return std::nullopt;
    std::vector<const Json*> objects;
    if (auto config = root.find("config"); config != root.end() && config->is_object())
        objects.push_back(&*config);
    if (auto layers = root.find("layers");
        layers != root.end() && layers->is_array() &&
        std::all_of(layers->begin(), layers->end(), [](const Json& l) { return l.is_object(); }))
        for (const auto& layer : *layers)
            objects.push_back(&layer);

    std::set<std::string> digests;
    for (const Json* object : objects)
        if (auto digest = plistString(*object, "digest");
            digest && DiskScanner::isWellFormedDigest(*digest))
            digests.insert(*digest);
    return digests;
}

} // namespace

bool DiskScanner::isWellFormedDigest(const std::string& digest) {
    size_t colon = digest.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == digest.size()) return false;
    auto alphanumeric = [](unsigned char c) { return std::isalnum(c) != 0; };
    auto hexadecimal = [](unsigned char c) { return std::isxdigit(c) != 0; };
    return std::all_of(digest.begin(), digest.begin() + colon, alphanumeric) &&
           std::all_of(digest.begin() + colon + 1, digest.end(), hexadecimal);
}

std::optional<std::string> DiskScanner::findOllama() {
    for (const char* path : {"/usr/local/bin/ollama", "/opt/homebrew/bin/ollama",
                             "/Applications/Ollama.app/Contents/Resources/ollama"})
        if (isExecutableFile(path)) return std::string(path);
    return std::nullopt;
}

std::optional<ScanItem> DiskScanner::modelItem(const URL& folder, const std::string& tool,
                                               const std::string& name,
                                               FileCounter& counter) const {
    auto info = fileInfo(folder);
    if (!info || !info->isDirectory()) return std::nullopt;
    const Measured measured = measure({{folder}}, counter).front();
    if (measured.freesNothing()) return std::nullopt;
    const int64_t bytes = measured.bytes;
    ScanItem item;
    item.kind = JunkKind::ai;
    item.location = folder;
    item.targets = {folder};
    item.bytes = bytes;
    item.baseVerdict = Verdict::youDecide;
    item.record = ScanItem::AIInfo{AIKind::model, tool, name, 1, newestChange(folder, counter), {}};
    return item;
}

std::vector<ScanItem> DiskScanner::huggingFaceModels(FileCounter& counter) const {
    const std::string prefix = "models--";
    std::vector<ScanItem> items;
    for (const auto& entry : listFolder(home.appending(".cache/huggingface/hub", true)).entries) {
        if (entry.name.rfind(prefix, 0) != 0) continue;
        std::string name = replacingAll(entry.name.substr(prefix.size()), "--", "/");
        if (auto item = modelItem(entry.url, "Hugging Face", name, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::lmStudioModels(FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const char* root : {".lmstudio/models", ".cache/lm-studio/models"})
        for (const auto& publisher : listFolder(home.appending(root, true)).entries)
            for (const auto& model : listFolder(publisher.url).entries)
                if (auto item = modelItem(model.url, "LM Studio", publisher.name + "/" + model.name,
                                          counter))
                    items.push_back(std::move(*item));
    return items;
}

std::vector<ScanItem> DiskScanner::ollamaModels() const {
    if (!ollamaTool) return {};
    URL models = home.appending(".ollama/models", true);
    URL manifestsFolder = models.appending("manifests", true);
    FileCounter manifestCounter;
    std::vector<Manifest> manifests;
    for (const auto& file : regularFiles(manifestsFolder, manifestCounter))
        if (auto digests = manifestDigests(file.path()))
            manifests.push_back({file, ollamaName(file, manifestsFolder), std::move(*digests)});

    std::map<std::string, int> uses;
    for (const auto& manifest : manifests)
        for (const auto& digest : manifest.layers)
            ++uses[digest];

    std::vector<ScanItem> items;
    for (const auto& manifest : manifests) {
        int64_t bytes = 0;
        for (const auto& digest : manifest.layers) {
            if (uses[digest] != 1) continue;
            URL blob = models.appending("blobs/" + replacingAll(digest, ":", "-"));
            if (auto info = fileInfo(blob)) addSaturating(bytes, info->logicalSize);
        }
        if (bytes < 1) continue;
        ScanItem item;
        item.kind = JunkKind::ai;
        item.location = manifest.url;
        item.bytes = bytes;
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::AIInfo{
            AIKind::model, "Ollama", manifest.name, 1, modificationDate(manifest.url), {}};
        item.action = ScanItem::Action{*ollamaTool, {"rm", manifest.name}};
        items.push_back(std::move(item));
    }
    return items;
}

// manifests/<host>/<namespace>/<model>/<tag> names the model "<model>:<tag>" when pulled
// from the public library.
std::string DiskScanner::ollamaName(const URL& manifest, const URL& manifests) {
    auto parts = splitNonEmpty(manifest.resolvingSymlinks().path(), '/');
    auto base = splitNonEmpty(manifests.resolvingSymlinks().path(), '/');
    std::vector<std::string> relative;
    if (parts.size() > base.size()) relative.assign(parts.begin() + base.size(), parts.end());
    if (relative.size() < 4) return manifest.lastPathComponent();
    const std::string &host = relative[0], &space = relative[1], &model = relative[2],
                      &tag = relative[3];
    if (host != kPublicRegistry) return host + "/" + space + "/" + model + ":" + tag;
    if (space == "library") return model + ":" + tag;
    return space + "/" + model + ":" + tag;
}

} // namespace kelvora

#include "HomeFixture.h"
#include "platform/Plist.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;
using AIKind = ScanItem::AIInfo::Kind;

namespace {

const std::string kRegistry = "registry.ollama.ai";

std::string manifest(const std::string& config, const std::vector<std::string>& layers) {
    Json json = {{"schemaVersion", 2}, {"layers", Json::array()}};
    if (!config.empty()) json["config"] = {{"digest", config}};
    for (const auto& layer : layers)
        json["layers"].push_back({{"digest", layer}, {"size", 1}});
    return json.dump();
}

void blob(HomeFixture& f, const std::string& digest, size_t bytes) {
    std::string name = digest;
    std::replace(name.begin(), name.end(), ':', '-');
    f.file(".ollama/models/blobs/" + name, 3, bytes);
}

std::string manifestPath(const std::string& relative) {
    return ".ollama/models/manifests/" + relative;
}

} // namespace

TEST(LocalModels, HuggingFaceAndLMStudioFolders) {
    HomeFixture f;
    f.file(".cache/huggingface/hub/models--org--model-7b/blobs/abc", 20, 8000);
    f.age(".cache/huggingface/hub/models--org--model-7b", 20);
    f.file(".cache/huggingface/hub/models--/blobs/x", 20);
    f.file(".cache/huggingface/hub/datasets--org--set/blobs/x", 20);
    f.file(".lmstudio/models/lmstudio-community/Qwen-GGUF/q4.gguf", 5);
    f.file(".lmstudio/models/lmstudio-community/readme.txt", 5);
    f.folder(".lmstudio/models/empty-publisher/EmptyModel", 5);
    f.file(".cache/lm-studio/models/ann/tiny/t.gguf", 5);

    FileCounter counter;
    auto hub = f.scanner.huggingFaceModels(counter);
    ASSERT_EQ(hub.size(), 2u);
    EXPECT_EQ(hub[0].ai()->detail, "");
    EXPECT_EQ(hub[1].ai()->detail, "org/model-7b");
    EXPECT_EQ(hub[1].ai()->tool, "Hugging Face");
    EXPECT_EQ(hub[1].ai()->kind, AIKind::model);
    EXPECT_EQ(hub[1].ai()->count, 1);
    EXPECT_EQ(hub[1].ai()->lastUsed, f.daysAgo(20)) << "the model file is the newest change";
    EXPECT_EQ(hub[1].targets, std::vector<URL>{hub[1].location});
    EXPECT_EQ(hub[1].baseVerdict, Verdict::youDecide);
    EXPECT_FALSE(hub[1].goesOnShelf());

    auto studio = f.scanner.lmStudioModels(counter);
    std::vector<std::string> names;
    for (const auto& item : studio)
        names.push_back(item.ai()->detail);
    EXPECT_EQ(names, (std::vector<std::string>{"lmstudio-community/Qwen-GGUF", "ann/tiny"}));
}

TEST(LocalModels, OllamaCountsOnlyTheBlobsNoOtherModelUses) {
    HomeFixture f;
    const std::string base = "sha256:" + std::string(64, 'a');
    const std::string ownA = "sha256:" + std::string(64, 'b');
    const std::string ownB = "sha256:" + std::string(64, 'c');
    const std::string configA = "sha256:" + std::string(64, 'd');
    blob(f, base, 40000);
    blob(f, ownA, 12000);
    blob(f, ownB, 7000);
    blob(f, configA, 500);
    f.home.write(manifestPath(kRegistry + "/library/llama3/latest"),
                 manifest(configA, {base, ownA}));
    f.home.write(manifestPath(kRegistry + "/ann/mymodel/q4"), manifest("", {base, ownB}));
    f.age(manifestPath(kRegistry + "/ann/mymodel/q4"), 12);
    // Two tags naming the very same blobs own none of them.
    f.home.write(manifestPath("hub.example.com/team/m/q8"), manifest(base, {base}));
    f.home.write(manifestPath("hub.example.com/team/m/q8-copy"), manifest(base, {base}));
    f.home.write(manifestPath("broken/x/y/z"), "{not json");

    FileCounter counter;
    EXPECT_TRUE(f.scanner.ollamaModels().empty()) << "no tool, no models";
    f.scanner.ollamaTool = "/opt/ollama/bin/ollama";
    auto items = f.scanner.ollamaModels();
    ASSERT_EQ(items.size(), 2u);

    const ScanItem& mine = items[0];
    EXPECT_EQ(mine.ai()->detail, "ann/mymodel:q4");
    EXPECT_EQ(mine.bytes, 7000);
    EXPECT_EQ(mine.ai()->lastUsed, f.daysAgo(12));
    EXPECT_TRUE(mine.targets.empty());
    EXPECT_EQ(mine.action->commandLine(), "ollama rm ann/mymodel:q4");

    const ScanItem& llama = items[1];
    EXPECT_EQ(llama.location.path(), f.home / manifestPath(kRegistry + "/library/llama3/latest"));
    EXPECT_EQ(llama.ai()->detail, "llama3:latest");
    EXPECT_EQ(llama.bytes, 12000 + 500);
    EXPECT_EQ(llama.action->tool, "/opt/ollama/bin/ollama");
    EXPECT_EQ(llama.ai()->tool, "Ollama");
    EXPECT_EQ(llama.baseVerdict, Verdict::youDecide);
}

TEST(LocalModels, OnlyWellFormedDigestsNameABlob) {
    HomeFixture f;
    f.scanner.ollamaTool = "/opt/ollama/bin/ollama";
    const std::string good = "sha256:" + std::string(64, 'e');
    blob(f, good, 3000);
    // A digest that would climb out of the blobs folder must never be sized or named.
    f.file(".ollama/secret", 3, 90000);
    f.file(".ollama/models/blobs/sha256-zz", 3, 50000);
    f.home.write(manifestPath(kRegistry + "/library/evil/latest"),
                 manifest("sha256:../../secret", {good, "sha256:zz", "sha256:", ":abc"}));

    auto items = f.scanner.ollamaModels();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].bytes, 3000);

    EXPECT_TRUE(DiskScanner::isWellFormedDigest("sha256:0123456789abcdefABCDEF"));
    EXPECT_FALSE(DiskScanner::isWellFormedDigest("sha256:abc/../x"));
    EXPECT_FALSE(DiskScanner::isWellFormedDigest("sha-256:abc"));
    EXPECT_FALSE(DiskScanner::isWellFormedDigest("sha256abc"));
    EXPECT_FALSE(DiskScanner::isWellFormedDigest("sha256:abc:def"));
}

TEST(LocalModels, OllamaNamesFollowTheManifestPath) {
    URL manifests = URL::fileURL("/m/manifests", true);
    auto name = [&](const std::string& relative) {
        return DiskScanner::ollamaName(URL::fileURL("/m/manifests/" + relative), manifests);
    };
    EXPECT_EQ(name(kRegistry + "/library/llama3/latest"), "llama3:latest");
    EXPECT_EQ(name(kRegistry + "/ann/mymodel/q4"), "ann/mymodel:q4");
    EXPECT_EQ(name("hub.example.com/team/m/q8"), "hub.example.com/team/m:q8");
    EXPECT_EQ(name("shallow/tag"), "tag");
}

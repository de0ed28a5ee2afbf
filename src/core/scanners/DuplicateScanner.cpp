#include "engine/DiskScanner.h"
#include "engine/ParallelWalk.h"
#include "platform/Text.h"
#include "scanners/ContentHash.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <regex>
#include <unordered_map>
#include <unordered_set>

namespace kelvora {
namespace {

using Group = std::vector<const DiskScanner::Candidate*>;
using Key = std::optional<std::string>;
using Members = std::vector<size_t>;

// Subgroups of at least two members with equal keys, in order of first
// appearance; members without a key drop out.
std::vector<Members> regroup(const Members& members, const std::vector<Key>& keys) {
    std::vector<std::string> order;
    std::unordered_map<std::string, Members> byKey;
    for (size_t member : members) {
        const auto& value = keys[member];
        if (!value) continue;
        auto [position, inserted] = byKey.try_emplace(*value);
        if (inserted) order.push_back(*value);
        position->second.push_back(member);
    }
    std::vector<Members> result;
    for (const auto& value : order) {
        if (byKey[value].size() >= 2) result.push_back(std::move(byKey[value]));
    }
    return result;
}

// Hashes same-size groups on every worker at once. Each member's fingerprint
// is one job; once the last fingerprint of a group is in, the members whose
// fingerprint another member shares get a full digest each, as jobs of their
// own taken before any further fingerprint. So digests of one group run side
// by side and overlap the fingerprints of others, and a group of large files
// costs about the time of its largest member.
class Hashing {
public:
    Hashing(const std::vector<Group>& sameSize, StopToken stop)
        : stop_(std::move(stop)), left_(std::make_unique<std::atomic<size_t>[]>(sameSize.size())) {
        for (size_t group = 0; group < sameSize.size(); ++group) {
            Members members;
            for (const auto* candidate : sameSize[group]) {
                members.push_back(candidates_.size());
                groupOf_.push_back(group);
                candidates_.push_back(candidate);
            }
            left_[group] = members.size();
            groups_.push_back(std::move(members));
        }
        fingerprints_.resize(candidates_.size());
        digests_.resize(candidates_.size());
    }

    void run() {
        WorkPool<Job> pool(
            static_cast<int>(std::clamp<size_t>(candidates_.size(), 1, walkWorkerCount())), stop_);
        // Larger files first, spread over the workers; each takes its newest job first.
        Members bySize(candidates_.size());
        for (size_t i = 0; i < bySize.size(); ++i)
            bySize[i] = i;
        std::stable_sort(bySize.begin(), bySize.end(), [&](size_t a, size_t b) {
            return candidates_[a]->size < candidates_[b]->size;
        });
        for (size_t i = 0; i < bySize.size(); ++i)
            pool.push(static_cast<int>((bySize.size() - 1 - i) % pool.workers()),
                      {bySize[i], false});
        pool.run([&](int worker, const Job& job) {
            const auto& candidate = *candidates_[job.member];
            if (job.digest) {
                digests_[job.member] = DiskScanner::contentDigest(candidate.url);
                return;
            }
            fingerprints_[job.member] = DiskScanner::fingerprint(candidate.url, candidate.size);
            const size_t group = groupOf_[job.member];
            if (left_[group].fetch_sub(1) != 1) return;
            for (const auto& similar : regroup(groups_[group], fingerprints_))
                for (size_t member : similar)
                    pool.push(worker, {member, true}, WorkPool<Job>::Lane::soon);
        });
    }

    // Groups of identical files (same size, fingerprint and digest), in the
    // order of the same-size groups.
    std::vector<Group> identical() const {
        std::vector<Group> result;
        for (const auto& members : groups_) {
            for (const auto& similar : regroup(members, fingerprints_)) {
                for (const auto& same : regroup(similar, digests_)) {
                    Group group;
                    for (size_t member : same)
                        group.push_back(candidates_[member]);
                    result.push_back(std::move(group));
                }
            }
        }
        return result;
    }

private:
    struct Job {
        size_t member;
        bool digest;
    };

    std::vector<const DiskScanner::Candidate*> candidates_;
    std::vector<size_t> groupOf_;
    std::vector<Members> groups_;
    std::vector<Key> fingerprints_;
    std::vector<Key> digests_;
    StopToken stop_;
    std::unique_ptr<std::atomic<size_t>[]> left_;
};

// Same-size groups holding at least two distinct files (one member per inode).
std::vector<Group> sameSizeGroups(const std::vector<DiskScanner::Candidate>& candidates) {
    struct SizeGroup {
        Group members;
        std::unordered_set<std::string> inodes;
    };
    std::vector<int64_t> order;
    std::unordered_map<int64_t, SizeGroup> bySize;
    for (const auto& candidate : candidates) {
        auto [position, inserted] = bySize.try_emplace(candidate.size);
        if (inserted) order.push_back(candidate.size);
        if (position->second.inodes.insert(candidate.inode).second)
            position->second.members.push_back(&candidate);
    }
    std::vector<Group> result;
    for (int64_t size : order) {
        if (bySize[size].members.size() >= 2) result.push_back(std::move(bySize[size].members));
    }
    return result;
}

bool hasCopyName(const URL& url) {
    static const std::regex pattern("( copy( [0-9]+)?| \\([0-9]+\\))$", std::regex::icase);
    return std::regex_search(url.deletingPathExtension().lastPathComponent(), pattern);
}

bool liesInBackupFolder(const URL& url) {
    const auto names = splitNonEmpty(url.deletingLastPathComponent().path(), '/');
    return std::any_of(names.begin(), names.end(), DiskScanner::looksLikeBackupFolder);
}

// Length of a path in characters (code points), not in UTF-8 bytes, so that
// accented names are not judged longer than they read.
size_t characterCount(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

struct Links {
    std::vector<URL> urls;
    uint64_t count = 1;
};

// Every candidate path of each file. A file with links outside the candidates
// frees nothing when the candidates go.
std::unordered_map<std::string, Links>
linksByInode(const std::vector<DiskScanner::Candidate>& all) {
    std::unordered_map<std::string, Links> links;
    for (const auto& candidate : all) {
        auto& entry = links[candidate.inode];
        entry.urls.push_back(candidate.url);
        entry.count = candidate.links;
    }
    return links;
}

} // namespace

std::optional<std::string> DiskScanner::fingerprint(const URL& url, int64_t size) {
    const auto reader = fileReader(url.path());
    if (!reader) return std::nullopt;
    return edgeFingerprint(*reader, size);
}

std::optional<std::string> DiskScanner::contentDigest(const URL& url) {
    const auto reader = fileReader(url.path());
    if (!reader) return std::nullopt;
    return contentSha256(*reader);
}

bool DiskScanner::looksLikeBackupFolder(const std::string& name) {
    static const std::vector<std::string> words = {"backup",  "backups",  "bak",   "old",
                                                   "archive", "archives", "copies"};
    const std::string lower = lowercased(name);
    if (lower.find("copy of") != std::string::npos) return true;
    const auto isBackupWord = [&](const std::string& word) {
        return std::find(words.begin(), words.end(), word) != words.end();
    };
    std::string word;
    for (size_t i = 0; i < lower.size();) {
        const auto [c, length, valid] = codePointAt(lower, i);
        if (valid && isLetter(c)) {
            word.append(lower, i, length);
        } else {
            if (isBackupWord(word)) return true;
            word.clear();
        }
        i += length;
    }
    return isBackupWord(word);
}

const DiskScanner::Candidate& DiskScanner::bestCopy(const std::vector<const Candidate*>& group,
                                                    const URL& downloads) {
    const std::string prefix = downloads.resolvingSymlinks().path() + "/";
    const auto score = [&](const Candidate& candidate) {
        int penalty = 0;
        if (startsWith(candidate.url.resolvingSymlinks().path(), prefix)) penalty += 100;
        if (hasCopyName(candidate.url)) penalty += 50;
        if (liesInBackupFolder(candidate.url)) penalty += 30;
        return penalty;
    };
    const Candidate* best = group.front();
    int bestScore = score(*best);
    for (size_t i = 1; i < group.size(); ++i) {
        const Candidate* other = group[i];
        const int otherScore = score(*other);
        const bool better =
            otherScore < bestScore ||
            (otherScore == bestScore &&
             (other->created < best->created ||
              (other->created == best->created &&
               characterCount(other->url.path()) < characterCount(best->url.path()))));
        if (better) {
            best = other;
            bestScore = otherScore;
        }
    }
    return *best;
}

std::vector<ScanItem> DiskScanner::scanDuplicates(const std::vector<Candidate>& candidates) const {
    const auto links = linksByInode(candidates);
    const auto sameSize = sameSizeGroups(candidates);
    Hashing hashing(sameSize, stop);
    hashing.run();

    std::vector<ScanItem> items;
    for (const auto& identical : hashing.identical()) {
        const Candidate& kept = bestCopy(identical, downloadsFolder);
        for (const auto* copy : identical) {
            if (copy == &kept) continue;
            const auto& copyLinks = links.at(copy->inode);
            // Removing some links of a file frees nothing while others remain.
            if (copyLinks.urls.size() < copyLinks.count) continue;
            // Removing a copy frees its allocated size; Linux file systems report
            // no smaller private size for blocks it shares.
            if (copy->allocated < 1) continue;
            ScanItem item;
            item.kind = JunkKind::duplicates;
            item.location = copy->url;
            item.targets = copyLinks.urls;
            item.bytes = copy->allocated;
            item.baseVerdict = Verdict::safe;
            item.record = ScanItem::DuplicateInfo{kept.url, static_cast<int>(identical.size())};
            items.push_back(std::move(item));
        }
    }
    return items;
}

} // namespace kelvora

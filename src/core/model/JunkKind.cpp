#include "model/JunkKind.h"

namespace kelvora {

namespace {
constexpr std::array<std::string_view, 15> kKindNames = {
    "caches",      "logs",       "tempFiles",  "downloads",  "mail",
    "screenshots", "photos",     "duplicates", "largeFiles", "developer",
    "ai",          "systemData", "apps",       "leftovers",  "trash"};
constexpr std::array<std::string_view, 5> kVerdictNames = {"safe", "rebuilds", "youDecide", "inUse",
                                                           "locked"};
} // namespace

const std::array<JunkKind, 15>& JunkKinds::allCases() {
    static const std::array<JunkKind, 15> all = [] {
        std::array<JunkKind, 15> kinds{};
        for (size_t i = 0; i < kinds.size(); ++i)
            kinds[i] = static_cast<JunkKind>(i);
        return kinds;
    }();
    return all;
}

std::string JunkKinds::rawValue(JunkKind kind) {
    return std::string(kKindNames[static_cast<size_t>(kind)]);
}

std::optional<JunkKind> JunkKinds::fromRawValue(std::string_view text) {
    for (size_t i = 0; i < kKindNames.size(); ++i)
        if (kKindNames[i] == text) return static_cast<JunkKind>(i);
    return std::nullopt;
}

bool JunkKinds::goesOnShelf(JunkKind kind) {
    switch (kind) {
    case JunkKind::caches:
    case JunkKind::logs:
    case JunkKind::tempFiles:
    case JunkKind::developer:
    case JunkKind::ai:
    case JunkKind::systemData:
        return false;
    default:
        return true;
    }
}

bool JunkKinds::pickedByDefault(JunkKind kind) {
    switch (kind) {
    case JunkKind::caches:
    case JunkKind::logs:
    case JunkKind::tempFiles:
    case JunkKind::downloads:
    case JunkKind::trash:
        return true;
    default:
        return false;
    }
}

const std::array<Verdict, 5>& Verdicts::allCases() {
    static const std::array<Verdict, 5> all = {Verdict::safe, Verdict::rebuilds, Verdict::youDecide,
                                               Verdict::inUse, Verdict::locked};
    return all;
}

std::string Verdicts::rawValue(Verdict verdict) {
    return std::string(kVerdictNames[static_cast<size_t>(verdict)]);
}

std::optional<Verdict> Verdicts::fromRawValue(std::string_view text) {
    for (size_t i = 0; i < kVerdictNames.size(); ++i)
        if (kVerdictNames[i] == text) return static_cast<Verdict>(i);
    return std::nullopt;
}

} // namespace kelvora

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

// The 15 categories, in their fixed order.
enum class JunkKind {
    caches,
    logs,
    tempFiles,
    downloads,
    mail,
    screenshots,
    photos,
    duplicates,
    largeFiles,
    developer,
    ai,
    systemData,
    apps,
    leftovers,
    trash,
};

namespace JunkKinds {
const std::array<JunkKind, 15>& allCases();
std::string rawValue(JunkKind kind);
std::optional<JunkKind> fromRawValue(std::string_view text);
// Whether removing an item of this category moves it to the Undo Shelf.
bool goesOnShelf(JunkKind kind);
bool pickedByDefault(JunkKind kind);
} // namespace JunkKinds

enum class Verdict { safe, rebuilds, youDecide, inUse, locked };

namespace Verdicts {
const std::array<Verdict, 5>& allCases();
std::string rawValue(Verdict verdict);
std::optional<Verdict> fromRawValue(std::string_view text);
} // namespace Verdicts

enum class FolderAccess { ok, blocked };

} // namespace kelvora

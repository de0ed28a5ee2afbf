// Stands in for osascript driving System Events' login items: understands the scripts that
// list, add and delete applications opening at login, and keeps that list in a state file.
#include "login/LoginItemScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

using namespace kelvora;

namespace {

using Json = nlohmann::json;

std::string statePath() {
    return joinPath(AppPaths::appDataFolder(), "login-items.json");
}
std::string lockPath() {
    return joinPath(AppPaths::appDataFolder(), "login-items.lock");
}

// The login items of one user: a few kilobytes; a larger file counts as damaged.
constexpr size_t kMaxStateBytes = 16 << 20;

Json loadItems() {
    auto text = readFile(statePath(), kMaxStateBytes);
    if (!text) return Json::array();
    auto items = Json::parse(*text, nullptr, false);
    return items.is_array() ? items : Json::array();
}

bool saveItems(const Json& items) {
    return writeFileAtomically(statePath(), items.dump(2)).ok;
}

int scriptError(const std::string& message) {
    std::cerr << "execution error: System Events got an error: " << message << "\n";
    return 1;
}

std::string unescape(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

// An AppleScript text literal's body: anything but an unescaped quotation mark.
const std::string kLiteral = R"xx(((?:[^"\\]|\\.)*))xx";
const std::string kTell = R"xx(tell application "System Events" to )xx";

int listItems(const Json& items) {
    std::string out;
    for (const auto& item : items)
        out += item.value("name", "") + "\t" + item.value("path", "") + "\n";
    std::cout << out << "\n";
    return 0;
}

int addItem(Json& items, const std::string& path) {
    if (path.empty()) return scriptError("Can’t make login item. (-10000)");
    for (const auto& item : items)
        if (item.value("path", "") == path) return 0;
    std::string name = lastComponent(path);
    if (extensionOf(name) == "app") name = name.substr(0, name.size() - 4);
    items.push_back({{"name", name}, {"path", path}});
    return saveItems(items) ? 0 : scriptError("Can’t save the login items. (-54)");
}

int deleteItem(Json& items, const std::string& name) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->value("name", "") != name) continue;
        items.erase(it);
        return saveItems(items) ? 0 : scriptError("Can’t save the login items. (-54)");
    }
    return scriptError("Can’t get login item \"" + name + "\". (-1728)");
}

int run(const std::string& script) {
    static const std::regex add(kTell + R"(make login item at end with properties \{path:")" +
                                kLiteral + R"(", hidden:(true|false)\})");
    static const std::regex remove(kTell + R"(delete login item ")" + kLiteral + "\"");
    FileLock lock(lockPath());
    if (!lock.locked()) return scriptError("Can’t reach the login items. (-54)");
    Json items = loadItems();
    std::smatch match;
    if (script == LoginItemScanner::openAtLoginScript()) return listItems(items);
    if (std::regex_match(script, match, add)) return addItem(items, unescape(match[1].str()));
    if (std::regex_match(script, match, remove)) return deleteItem(items, unescape(match[1].str()));
    std::cerr << "syntax error: This stand-in only understands System Events login items. "
                 "(-2741)\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() != 2 || args[0] != "-e") {
        std::cerr << "usage: osascript -e statement\n";
        return 1;
    }
    return run(args[1]);
}

#include "platform/AppImages.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {

namespace AppImages {

namespace {

// The runtime marks its ELF header with "AI" and the format's version at byte 8.
bool carriesMark(const std::string& path) {
    // Reading must not count as a use: the access time is how an AppImage's last run is told.
    // Only the file's owner may read without touching it, so no other file is read.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOATIME);
    if (fd < 0) return false;
    std::array<unsigned char, 11> header{};
    ssize_t length = pread(fd, header.data(), header.size(), 0);
    close(fd);
    if (length != static_cast<ssize_t>(header.size())) return false;
    bool elf = header[0] == 0x7f && header[1] == 'E' && header[2] == 'L' && header[3] == 'F';
    return elf && header[8] == 'A' && header[9] == 'I' && (header[10] == 1 || header[10] == 2);
}

} // namespace

bool hasAppImageName(std::string_view name) {
    constexpr std::string_view suffix = ".appimage";
    return name.size() > suffix.size() && endsWith(lowercased(std::string(name)), suffix);
}

bool isAppImage(const std::string& path) {
    auto info = fileInfo(path);
    if (!info || !info->isRegularFile() || !isExecutableFile(path)) return false;
    return hasAppImageName(info->name) || carriesMark(path);
}

bool isOwnAppImage(const std::string& path) {
    const char* own = std::getenv("APPIMAGE");
    if (!own || !*own) return false;
    auto identity = identityOf(path);
    return identity && identity == identityOf(own);
}

std::vector<URL> folders(const URL& home) {
    return {home.appending("Applications", true), home.appending(".local/bin", true),
            home.appending("AppImages", true), home.appending("Apps", true)};
}

std::optional<std::string> programFile(const std::string& program, std::string_view searchPath) {
    if (program.empty()) return std::nullopt;
    if (program.find('/') != std::string::npos) {
        if (program.front() != '/') return std::nullopt;
        return realPath(program);
    }
    for (const auto& folder : splitNonEmpty(searchPath, ':')) {
        if (folder.front() != '/') continue;
        std::string candidate = joinPath(folder, program);
        if (!isExecutableFile(candidate)) continue;
        if (auto file = realPath(candidate)) return file;
    }
    return std::nullopt;
}

std::vector<URL> portableFolders(const URL& file) {
    URL folder = file.deletingLastPathComponent();
    std::vector<URL> found;
    for (const char* suffix : {".home", ".config"}) {
        URL place = folder.appending(file.lastPathComponent() + suffix, true);
        auto info = fileInfo(place);
        if (info && info->isDirectory()) found.push_back(place);
    }
    return found;
}

} // namespace AppImages
} // namespace kelvora

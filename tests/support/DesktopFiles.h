#pragma once

#include "platform/Date.h"
#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace kelvora::testing {

// Writes a file and its folders at an absolute path.
inline std::string writeAt(const std::string& path, const std::string& contents = "x") {
    createDirectories(parentPath(path));
    writeFileAtomically(path, contents);
    return path;
}

// An AppImage as a user downloads and marks it runnable.
inline std::string writeAppImage(const std::string& path, size_t bytes = 8192) {
    writeAt(path, std::string(bytes, 'a'));
    chmod(path.c_str(), 0755);
    return path;
}

// A desktop entry of an application ("Icon" and further lines only when given).
inline std::string writeDesktopEntry(const std::string& path, const std::string& name,
                                     const std::string& exec, const std::string& icon = {},
                                     const std::string& moreLines = {}) {
    std::string text = "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n";
    if (!icon.empty()) text += "Icon=" + icon + "\n";
    return writeAt(path, text + moreLines);
}

// Sets when a file was last read and last written, without following a final link.
inline void setTimes(const std::string& path, Date accessed, Date modified) {
    auto spec = [](Date date) {
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count();
        return timespec{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    };
    const timespec times[2] = {spec(accessed), spec(modified)};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace kelvora::testing

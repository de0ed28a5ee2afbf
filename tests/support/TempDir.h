#pragma once

#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {

// The whole of a file a test wrote or looks at, as large as any test makes one.
inline std::optional<std::string> fileText(const std::string& path) {
    return readFile(path, std::size_t{1} << 30);
}

} // namespace kelvora

namespace kelvora::testing {

// A fresh folder under /tmp (or another folder), removed with everything in it when the
// test ends.
class TempDir {
public:
    explicit TempDir(const std::string& under = "/tmp") {
        std::string pattern = under + "/kelvora-test-XXXXXX";
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        if (!path_.empty()) removeItem(path_);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    URL url() const { return URL::fileURL(path_, true); }
    std::string operator/(const std::string& relative) const { return joinPath(path_, relative); }

    // Writes a file (creating its folders) and returns its path.
    std::string write(const std::string& relative, const std::string& contents = "x") const {
        std::string full = joinPath(path_, relative);
        createDirectories(parentPath(full));
        writeFileAtomically(full, contents);
        return full;
    }
    std::string mkdir(const std::string& relative) const {
        std::string full = joinPath(path_, relative);
        createDirectories(full);
        return full;
    }

    // A chain of `levels` folders named `name`, each holding a file: far deeper than any
    // path the kernel takes, so it is built through descriptors. Returns the top folder.
    std::string deepChain(const std::string& relative, int levels,
                          const std::string& name = "deeper-level") const {
        std::string top = mkdir(relative);
        int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; level < levels && fd >= 0; ++level) {
            close(openat(fd, "file", O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
            mkdirat(fd, name.c_str(), 0755);
            int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(fd);
            fd = next;
        }
        if (fd >= 0) close(fd);
        return top;
    }

private:
    std::string path_;
};

} // namespace kelvora::testing

#pragma once

#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kelvora::testing {

// A fresh folder under /tmp, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string pattern = "/tmp/kelvora-test-XXXXXX";
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

private:
    std::string path_;
};

} // namespace kelvora::testing

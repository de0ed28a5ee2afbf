#include "scanners/ContentHash.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>
#include <vector>

namespace kelvora {
namespace {

constexpr size_t kEdge = 65536;
constexpr size_t kChunk = 1048576;

class Sha256 {
public:
    Sha256() : context_(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
        EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr);
    }
    void feed(const void* bytes, size_t length) { EVP_DigestUpdate(context_.get(), bytes, length); }
    std::string hex() {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(context_.get(), digest, &length);
        static const char* digits = "0123456789abcdef";
        std::string text;
        text.reserve(length * 2);
        for (unsigned int i = 0; i < length; ++i) {
            text += digits[digest[i] >> 4];
            text += digits[digest[i] & 15];
        }
        return text;
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_;
};

// Fills as much of the buffer as the file holds from offset on.
int64_t readFully(const ReadAt& read, char* buffer, size_t length, int64_t offset) {
    size_t done = 0;
    while (done < length) {
        const int64_t got = read(buffer + done, length - done, offset + static_cast<int64_t>(done));
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

struct FileDescriptor {
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    ~FileDescriptor() { close(fd); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int fd;
};

} // namespace

std::optional<std::string> edgeFingerprint(const ReadAt& read, int64_t size) {
    Sha256 hash;
    unsigned char sizeBytes[8];
    for (int i = 0; i < 8; ++i)
        sizeBytes[i] = static_cast<unsigned char>(static_cast<uint64_t>(size) >> (8 * i));
    hash.feed(sizeBytes, sizeof sizeBytes);
    std::vector<char> buffer(kEdge);
    const int64_t head = readFully(read, buffer.data(), kEdge, 0);
    if (head <= 0) return std::nullopt;
    hash.feed(buffer.data(), static_cast<size_t>(head));
    if (size > static_cast<int64_t>(kEdge)) {
        const int64_t tail =
            readFully(read, buffer.data(), kEdge, size - static_cast<int64_t>(kEdge));
        if (tail <= 0) return std::nullopt;
        hash.feed(buffer.data(), static_cast<size_t>(tail));
    }
    return hash.hex();
}

std::optional<std::string> contentSha256(const ReadAt& read) {
    Sha256 hash;
    std::vector<char> buffer(kChunk);
    for (int64_t offset = 0;;) {
        const int64_t got = readFully(read, buffer.data(), kChunk, offset);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        hash.feed(buffer.data(), static_cast<size_t>(got));
        offset += got;
    }
    return hash.hex();
}

std::optional<ReadAt> fileReader(const std::string& path) {
    // Reading for a hash is not the user opening the file: leave its access time
    // alone, or it would look recently used to the large-and-old test. Only the
    // file's owner may ask for that, so others read it plainly.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    auto file = std::make_shared<FileDescriptor>(fd);
    return ReadAt([file](char* buffer, size_t length, int64_t offset) -> int64_t {
        for (;;) {
            const ssize_t got = pread(file->fd, buffer, length, offset);
            if (got >= 0 || errno != EINTR) return got;
        }
    });
}

} // namespace kelvora

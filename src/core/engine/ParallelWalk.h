#pragma once

#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kelvora {

// Workers this machine should walk with: the processors this process may
// run on, at least 1 and at most 8.
int walkWorkerCount();

// A folder opened for reading its entries, never through a final link.
class OpenFolder {
public:
    explicit OpenFolder(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC)) {}
    ~OpenFolder() {
        if (fd_ >= 0) close(fd_);
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Calls visit(name, type) with the directory-entry type of every entry but
    // "." and "..", reading with getdents64 into buffer (reused by the caller).
    // False when nothing could be read.
    template <class Visit> bool forEach(std::vector<char>& buffer, Visit&& visit) const {
        if (fd_ < 0) return false;
        buffer.resize(kBufferSize);
        bool readAny = false;
        for (;;) {
            const ssize_t length = getdents64(fd_, buffer.data(), buffer.size());
            if (length <= 0) break;
            readAny = true;
            for (ssize_t offset = 0; offset < length;) {
                const auto* record = reinterpret_cast<const dirent64*>(buffer.data() + offset);
                offset += record->d_reclen;
                const char* name = record->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                visit(name, record->d_type);
            }
        }
        return readAny;
    }

    static constexpr size_t kBufferSize = 0x20000;

private:
    int fd_;
};

// Runs jobs on up to `workers` threads, the caller's among them, taking the
// newest pending job first. work(worker, job, found) handles one job and
// appends the jobs it uncovers. Returns when nothing is pending and no worker
// is busy, since a busy worker may still uncover more.
template <class Job, class Work>
void runInParallel(std::vector<Job> jobs, int workers, Work&& work) {
    std::mutex lock;
    std::condition_variable condition;
    int busy = 0;
    auto worker = [&](int index) {
        std::vector<Job> found;
        for (;;) {
            std::optional<Job> job;
            {
                std::unique_lock guard(lock);
                condition.wait(guard, [&] { return !jobs.empty() || busy == 0; });
                if (jobs.empty()) return;
                job = std::move(jobs.back());
                jobs.pop_back();
                ++busy;
            }
            found.clear();
            work(index, *job, found);
            {
                std::lock_guard guard(lock);
                for (auto& more : found)
                    jobs.push_back(std::move(more));
                --busy;
            }
            condition.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int index = 1; index < workers; ++index)
        threads.emplace_back(worker, index);
    worker(0);
    for (auto& thread : threads)
        thread.join();
}

} // namespace kelvora

#pragma once

#include "engine/LongPath.h"
#include "platform/StopToken.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
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

// The processors this process may run on, the calling thread's own first.
std::vector<int> workerProcessors();

// Moves the calling thread onto the processor, then lets it run on any it may
// again. A new thread starts beside the one that made it, and the scheduler
// can take tens of milliseconds to move busy threads apart; starting each
// worker on a processor of its own spares the walk that wait.
void startOn(int processor);

// A folder opened for reading its entries, never through a final link, however deep.
class OpenFolder {
public:
    explicit OpenFolder(const std::string& path)
        : fd_(openLongPath(path, O_RDONLY | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC)) {}
    ~OpenFolder() {
        if (fd_ >= 0) close(fd_);
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Calls visit(name, type) with the directory-entry type of every entry but
    // "." and "..", reading with getdents64 into buffer (reused by the caller), until
    // the folder is read or `stop` is set. False when nothing could be read.
    template <class Visit> bool forEach(std::vector<char>& buffer, Visit&& visit) const {
        return forEach(buffer, StopToken(), std::forward<Visit>(visit));
    }
    template <class Visit>
    bool forEach(std::vector<char>& buffer, const StopToken& stop, Visit&& visit) const {
        if (fd_ < 0) return false;
        buffer.resize(kBufferSize);
        bool readAny = false;
        while (!stop.stopped()) {
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

// Jobs shared among worker threads, the caller's among them. Every worker
// keeps the jobs it uncovers in a queue of its own and takes its newest first;
// only a worker that has run dry takes from another, the oldest job there, so
// workers seldom meet on a lock. A job in the `soon` lane is taken before any
// in the `later` lane, by its owner and by others alike. Once `stop` is set the jobs
// still queued are dropped unrun.
template <class Job> class WorkPool {
public:
    enum class Lane { soon, later };

    explicit WorkPool(int workers, StopToken stop = {})
        : workers_(workers < 1 ? 1 : workers), queues_(new Queue[workers_]),
          stop_(std::move(stop)) {}

    int workers() const { return workers_; }
    bool stopped() const { return stop_.stopped(); }

    // Queues a job with the given worker, from inside a job or before run().
    void push(int worker, Job job, Lane lane = Lane::later) {
        unfinished_.fetch_add(1);
        {
            std::lock_guard guard(queues_[worker].lock);
            queues_[worker].lanes[laneIndex(lane)].push_back(std::move(job));
        }
        if (sleeping_.load() > 0) {
            std::lock_guard guard(idleLock_);
            wake_.notify_one();
        }
    }

    // Runs work(worker, job) for every job, including those pushed meanwhile,
    // and returns once all are done: a busy worker may still push more, so an
    // idle one sleeps until there is a job to take or nothing is left at all.
    template <class Work> void run(Work&& work) {
        auto loop = [&](int worker) {
            for (;;) {
                if (std::optional<Job> job = take(worker)) {
                    if (!stop_.stopped()) work(worker, *job);
                    job.reset();
                    if (unfinished_.fetch_sub(1) == 1) {
                        std::lock_guard guard(idleLock_);
                        wake_.notify_all();
                    }
                    continue;
                }
                std::unique_lock guard(idleLock_);
                sleeping_.fetch_add(1);
                wake_.wait(guard, [&] { return unfinished_.load() == 0 || anyQueued(); });
                sleeping_.fetch_sub(1);
                if (unfinished_.load() == 0) return;
            }
        };
        const std::vector<int> processors = workerProcessors();
        std::vector<std::thread> threads;
        for (int worker = 1; worker < workers_; ++worker) {
            threads.emplace_back([&, worker] {
                if (processors.size() > 1)
                    startOn(processors[static_cast<size_t>(worker) % processors.size()]);
                loop(worker);
            });
        }
        loop(0);
        for (auto& thread : threads)
            thread.join();
    }

private:
    struct alignas(64) Queue {
        std::mutex lock;
        std::deque<Job> lanes[2];
    };

    static int laneIndex(Lane lane) { return lane == Lane::soon ? 0 : 1; }

    std::optional<Job> take(int worker) {
        {
            Queue& own = queues_[worker];
            std::lock_guard guard(own.lock);
            for (auto& lane : own.lanes) {
                if (lane.empty()) continue;
                Job job = std::move(lane.back());
                lane.pop_back();
                return job;
            }
        }
        for (int lane = 0; lane < 2; ++lane) {
            for (int step = 1; step < workers_; ++step) {
                Queue& other = queues_[(worker + step) % workers_];
                std::lock_guard guard(other.lock);
                if (other.lanes[lane].empty()) continue;
                Job job = std::move(other.lanes[lane].front());
                other.lanes[lane].pop_front();
                return job;
            }
        }
        return std::nullopt;
    }

    bool anyQueued() {
        for (int worker = 0; worker < workers_; ++worker) {
            std::lock_guard guard(queues_[worker].lock);
            if (!queues_[worker].lanes[0].empty() || !queues_[worker].lanes[1].empty()) return true;
        }
        return false;
    }

    const int workers_;
    std::unique_ptr<Queue[]> queues_;
    const StopToken stop_;
    std::atomic<int64_t> unfinished_{0};
    std::atomic<int> sleeping_{0};
    std::mutex idleLock_;
    std::condition_variable wake_;
};

// Runs jobs on up to `workers` threads, the caller's among them, the last of
// `jobs` first. work(worker, job, found) handles one job and appends the jobs
// it uncovers, which go to the same worker's queue. Stops taking jobs once `stop` is set.
template <class Job, class Work>
void runInParallel(std::vector<Job> jobs, int workers, Work&& work, const StopToken& stop = {}) {
    WorkPool<Job> pool(workers, stop);
    for (auto& job : jobs)
        pool.push(0, std::move(job));
    pool.run([&](int worker, Job& job) {
        std::vector<Job> found;
        work(worker, job, found);
        for (auto& more : found)
            pool.push(worker, std::move(more));
    });
}

} // namespace kelvora

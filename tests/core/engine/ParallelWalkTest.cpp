#include "engine/ParallelWalk.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace kelvora;

// Jobs that push more jobs, into both lanes and from every worker, must each run
// exactly once, and the pool must not return while any is left.
TEST(WorkPool, RunsEveryJobOnceIncludingThoseJobsPush) {
    constexpr int kJobs = 5000;
    for (int workers : {1, 3, 8}) {
        auto runs = std::make_unique<std::atomic<int>[]>(kJobs);
        WorkPool<int> pool(workers);
        pool.push(0, 0);
        pool.run([&](int worker, int job) {
            runs[job].fetch_add(1);
            for (int child : {2 * job + 1, 2 * job + 2}) {
                if (child >= kJobs) continue;
                pool.push(worker, child,
                          child % 2 ? WorkPool<int>::Lane::soon : WorkPool<int>::Lane::later);
            }
        });
        int once = 0;
        for (int job = 0; job < kJobs; ++job)
            once += runs[job].load() == 1 ? 1 : 0;
        EXPECT_EQ(once, kJobs) << workers << " workers";
    }
}

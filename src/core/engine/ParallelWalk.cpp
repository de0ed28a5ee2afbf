#include "engine/ParallelWalk.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>

namespace kelvora {
namespace {

bool allowedProcessors(cpu_set_t& set) {
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof(set), &set) == 0;
}

} // namespace

int walkWorkerCount() {
    cpu_set_t set;
    int processors = allowedProcessors(set) ? CPU_COUNT(&set) : 0;
    if (processors < 1) processors = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 1, 8);
}

std::vector<int> workerProcessors() {
    cpu_set_t set;
    if (!allowedProcessors(set)) return {};
    const int own = sched_getcpu();
    std::vector<int> processors;
    if (own >= 0 && CPU_ISSET(own, &set)) processors.push_back(own);
    for (int processor = 0; processor < CPU_SETSIZE; ++processor)
        if (CPU_ISSET(processor, &set) && processor != own) processors.push_back(processor);
    return processors;
}

void startOn(int processor) {
    cpu_set_t allowed;
    if (!allowedProcessors(allowed)) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(processor, &one);
    const pthread_t self = pthread_self();
    if (pthread_setaffinity_np(self, sizeof(one), &one) == 0)
        pthread_setaffinity_np(self, sizeof(allowed), &allowed);
}

} // namespace kelvora

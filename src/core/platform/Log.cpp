#include "platform/Log.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace kelvora {

void logOnce(const std::string& line) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard lock(mutex);
    if (!said.insert(line).second) return;
    std::fprintf(stderr, "Kelvora: %s\n", line.c_str());
}

} // namespace kelvora

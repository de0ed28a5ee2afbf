#include "model/SharedResult.h"

#include <atomic>

namespace kelvora {

namespace {
std::atomic<uint64_t> lastGeneration{0};
}

SharedResult::SharedResult(ScanResult result)
    : result_(std::make_shared<const ScanResult>(std::move(result))),
      generation_(++lastGeneration) {}

} // namespace kelvora

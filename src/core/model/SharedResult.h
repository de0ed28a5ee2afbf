#pragma once

#include "model/ScanResult.h"

#include <cstdint>
#include <memory>

namespace kelvora {

// A scan result as the window holds it: made once, then shared and never changed, so that
// starting a clean-up or opening a category copies none of its items. Every result made
// gets a generation of its own; two holders show the same result when their generations
// agree.
class SharedResult {
public:
    SharedResult() = default;
    // Takes the result over and gives it the next generation.
    SharedResult(ScanResult result);

    const ScanResult* get() const { return result_.get(); }
    const ScanResult& operator*() const { return *result_; }
    const ScanResult* operator->() const { return result_.get(); }
    explicit operator bool() const { return result_ != nullptr; }
    // 0 when there is no result.
    uint64_t generation() const { return generation_; }

private:
    std::shared_ptr<const ScanResult> result_;
    uint64_t generation_ = 0;
};

} // namespace kelvora

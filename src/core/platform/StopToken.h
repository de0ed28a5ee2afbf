#pragma once

#include <atomic>
#include <memory>

namespace kelvora {

// Asks long work to end early. Whoever starts the work keeps a StopSource and hands its
// token down; the work looks at the token between folders and between files, and once it
// is set returns at once with what it has, which the one who stopped it then drops.
// Looking is one atomic load. A token made without a source never stops.
class StopToken {
public:
    StopToken() = default;
    bool stopped() const noexcept { return flag_ && flag_->load(std::memory_order_relaxed); }

private:
    friend class StopSource;
    explicit StopToken(std::shared_ptr<const std::atomic<bool>> flag) : flag_(std::move(flag)) {}
    std::shared_ptr<const std::atomic<bool>> flag_;
};

class StopSource {
public:
    StopSource() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    StopToken token() const { return StopToken(flag_); }
    void stop() const noexcept { flag_->store(true, std::memory_order_relaxed); }
    bool stopped() const noexcept { return flag_->load(std::memory_order_relaxed); }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

} // namespace kelvora

// A request from outside a split run that it stop early, such as a signal
// asking the program to end. The run looks at it between blocks, so it also
// ends a source that never ends.
#pragma once

#include <atomic>

namespace tav {

class StopRequest {
public:
    StopRequest() = default;
    // A request that also counts as made once `also` (if any) is: for a part
    // of the work that may be stopped on its own. `also` must outlive it.
    explicit StopRequest(const StopRequest* also) noexcept : also_(also) {}

    // Safe to call from a signal handler.
    void request() noexcept { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept {
        return requested_.load(std::memory_order_relaxed) || (also_ != nullptr && also_->requested());
    }
    void clear() noexcept { requested_.store(false, std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler must be able to set it");
    std::atomic<bool> requested_{false};
    const StopRequest* also_ = nullptr;
};

// Whether `stop`, where there is one, has been requested.
inline bool stop_requested(const StopRequest* stop) noexcept { return stop != nullptr && stop->requested(); }

// The process's own request, which its signal handlers set.
StopRequest& process_stop_request() noexcept;

}  // namespace tav

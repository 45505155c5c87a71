#pragma once
// The cancel of one job. The worker makes a new token for every job it hands over, the window's
// cancel (or a signal handler) presses it, and the job's read loops look at it. Copies share one
// flag; a new job never sees the cancel of an earlier one.
#include <atomic>
#include <memory>

namespace vex {

class CancelToken {
public:
    CancelToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    // Lock-free: safe from any thread and from a signal handler.
    void cancel() const noexcept { flag_->store(true); }
    bool cancelled() const noexcept { return flag_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

}  // namespace vex

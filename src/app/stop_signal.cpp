#include "app/stop_signal.h"

#include <signal.h>

#include <atomic>

namespace vex {
namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and written from a signal handler");

void noteSignal(int signal) { received.store(signal); }

}  // namespace

void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // calls in flight complete; the flag is looked at between steps
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() { return received.load(); }

}  // namespace vex

#pragma once
// Independent pieces of work spread over the cores.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vex {

// Runs `work(i)` for every i in [0, count) on up to `threads` threads (0: one per core), the
// calling thread among them. The first exception stops the handing out of items and is raised
// here once every thread has stopped.
template <typename Work>
void forEachOnCores(std::size_t count, unsigned threads, Work&& work) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto worker = [&] {
        for (std::size_t i; (i = next++) < count;) {
            try {
                work(i);
            } catch (...) {
                std::lock_guard lock(failureLock);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(worker);
    worker();
    for (auto& h : helpers) h.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace vex

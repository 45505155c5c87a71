// forEachOnCores: every item exactly once on any number of threads, and the first error out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/parallel.h"

namespace vex {
namespace {

// Counts per item, so a lost or doubled item shows as a count other than 1.
std::vector<int> runCounting(std::size_t count, unsigned threads) {
    std::vector<std::atomic<int>> seen(count);
    forEachOnCores(count, threads, [&](std::size_t i) { ++seen.at(i); });
    std::vector<int> out;
    for (auto& s : seen) out.push_back(s.load());
    return out;
}

TEST(ForEachOnCores, DoesEveryItemOnceWhateverTheThreadCount) {
    for (unsigned threads : {0u, 1u, 2u, 3u, 8u})
        for (std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{96}, std::size_t{1000}})
            EXPECT_EQ(runCounting(count, threads), std::vector<int>(count, 1)) << threads << " threads, " << count;
}

TEST(ForEachOnCores, NoItemsCallsNothing) {
    for (unsigned threads : {0u, 1u, 4u}) {
        int calls = 0;
        EXPECT_NO_THROW(forEachOnCores(0, threads, [&](std::size_t) { ++calls; }));
        EXPECT_EQ(calls, 0);
    }
}

TEST(ForEachOnCores, MoreThreadsThanItems) {
    EXPECT_EQ(runCounting(3, 64), std::vector<int>(3, 1));
    // No more threads than items: one item runs on the caller, never on a helper that would race
    // it for the item.
    for (int run = 0; run < 20; ++run) {
        std::thread::id ran;
        forEachOnCores(1, 16, [&](std::size_t) { ran = std::this_thread::get_id(); });
        EXPECT_EQ(ran, std::this_thread::get_id());
    }
}

TEST(ForEachOnCores, RaisesTheFirstErrorAndStopsHandingOut) {
    for (unsigned threads : {1u, 2u, 4u}) {
        std::atomic<int> done{0};
        std::atomic<bool> failed{false};
        try {
            forEachOnCores(100000, threads, [&](std::size_t i) {
                if (i == 5) {
                    failed = true;
                    throw std::runtime_error("item 5");
                }
                // Later items wait for the failure, however busy the machine: on a loaded machine
                // the other threads could otherwise run through every item before item 5 is thrown.
                if (i > 1000)
                    while (!failed) std::this_thread::yield();
                ++done;
            });
            ADD_FAILURE() << "no error raised with " << threads << " threads";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "item 5");
        }
        // Items already handed out may finish, but the rest are not started.
        EXPECT_LT(done.load(), 100000 - 1) << threads << " threads";
    }
    // On one thread the order is the items' order: the error is the first item's that fails.
    try {
        forEachOnCores(100, 1, [](std::size_t i) {
            if (i % 10 == 3) throw std::out_of_range(std::to_string(i));
        });
        ADD_FAILURE() << "no error raised";
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(std::string(e.what()), "3");
    }
}

TEST(ForEachOnCores, WaitsForEveryThreadBeforeRaising) {
    // Work still running on the helpers when one item fails must end before the call returns:
    // the caller then frees what the work uses.
    std::atomic<int> running{0};
    EXPECT_THROW(forEachOnCores(8, 4,
                                [&](std::size_t i) {
                                    ++running;
                                    if (i == 0) {
                                        --running;
                                        throw std::logic_error("first");
                                    }
                                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                    --running;
                                }),
                 std::logic_error);
    EXPECT_EQ(running.load(), 0);
}

}  // namespace
}  // namespace vex

#include "velmora_check/ordered_pool.h"

#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_check {
namespace {

// Each worker remembers the threads it ran on; one worker, one thread.
struct Worker {
    std::set<std::thread::id> threads;
    int items = 0;
};

// Uneven work, so that later items often finish before earlier ones.
void Sleep(std::size_t i) { std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 3000)); }

TEST(RunInInputOrder, EmitsInInputOrderOnTheCallingThread)
{
    for (const std::size_t workerCount : {1u, 2u, 4u}) {
        for (const std::size_t count : {0u, 1u, 5u, 200u}) {
            std::vector<Worker> workers(workerCount);
            std::vector<std::size_t> emitted;
            const auto caller = std::this_thread::get_id();
            RunInInputOrder(
                workers, count, 6,
                [&](Worker& worker, std::size_t i) {
                    worker.threads.insert(std::this_thread::get_id());
                    ++worker.items;
                    Sleep(i);
                    return i * 10;
                },
                [&](std::size_t i, std::size_t result) {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                    EXPECT_EQ(result, i * 10);
                    emitted.push_back(i);
                });
            std::vector<std::size_t> expected(count);
            for (std::size_t i = 0; i < count; ++i)
                expected[i] = i;
            EXPECT_EQ(emitted, expected) << workerCount << " workers, " << count << " items";
            int items = 0;
            for (const Worker& worker : workers) {
                EXPECT_LE(worker.threads.size(), 1u);
                items += worker.items;
            }
            EXPECT_EQ(items, static_cast<int>(count));
        }
    }
}

TEST(RunInInputOrder, WorkersStayWithinTheWindowOfTheLastEmitted)
{
    std::vector<Worker> workers(3);
    std::atomic<std::size_t> lastEmitted = 0;
    std::atomic<std::size_t> furthestAhead = 0;
    constexpr std::size_t kWindow = 4;
    RunInInputOrder(
        workers, 100, kWindow,
        [&](Worker&, std::size_t i) {
            const std::size_t ahead = i - std::min(i, lastEmitted.load());
            std::size_t seen = furthestAhead.load();
            while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead)) {
            }
            return i;
        },
        [&](std::size_t i, std::size_t) {
            std::this_thread::sleep_for(std::chrono::microseconds(300));  // a slow writer
            lastEmitted = i + 1;
        });
    EXPECT_LE(furthestAhead.load(), kWindow);
}

TEST(RunInInputOrder, WorkersCheckAtTheSameTime)
{
    // Each item waits (for at most 10 s) until both have started: only a pool that runs them
    // side by side lets both see the other.
    std::vector<Worker> workers(2);
    std::atomic<int> started = 0;
    std::atomic<int> sawTheOther = 0;
    RunInInputOrder(
        workers, 2, 4,
        [&](Worker&, std::size_t) {
            ++started;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (started < 2 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (started == 2)
                ++sawTheOther;
            return 0;
        },
        [](std::size_t, int) {});
    EXPECT_EQ(sawTheOther.load(), 2);
}

TEST(RunInInputOrder, AFailureStopsThePoolAndReachesTheCaller)
{
    for (const std::size_t workerCount : {1u, 3u}) {
        std::vector<Worker> workers(workerCount);
        std::atomic<int> worked = 0;
        std::size_t emitted = 0;
        EXPECT_THROW(RunInInputOrder(
                         workers, 10000, 8,
                         [&](Worker&, std::size_t i) {
                             ++worked;
                             if (i == 50)
                                 throw std::runtime_error("work failed");
                             return i;
                         },
                         [&](std::size_t, std::size_t) { ++emitted; }),
                     std::runtime_error);
        EXPECT_LE(emitted, 50u);
        EXPECT_LT(worked.load(), 100);  // stopped soon after, not run to the end

        std::vector<Worker> more(workerCount);
        EXPECT_THROW(RunInInputOrder(
                         more, 10000, 8, [](Worker&, std::size_t i) { return i; },
                         [](std::size_t i, std::size_t) {
                             if (i == 3)
                                 throw std::runtime_error("emit failed");
                         }),
                     std::runtime_error);
    }
}

}  // namespace
}  // namespace velmora_check

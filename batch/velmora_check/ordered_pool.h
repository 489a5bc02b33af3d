// Work spread over threads, results handed on in input order.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace velmora_check {

// Calls work(worker, i) for every i in [0, count) on one thread per worker (each worker is used
// by its own thread only), and emit(i, result) on the calling thread in order of i. Workers run
// at most `window` items ahead of the emitted ones, so memory stays flat however long the input.
// With one worker everything runs on the calling thread. The first exception from work or emit
// stops the pool and is rethrown here once every thread has ended.
template <typename Worker, typename Work, typename Emit>
void RunInInputOrder(std::vector<Worker>& workers, std::size_t count, std::size_t window, Work work, Emit emit)
{
    if (workers.size() <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            emit(i, work(workers.front(), i));
        return;
    }

    using Result = std::invoke_result_t<Work&, Worker&, std::size_t>;
    window = std::max(window, workers.size());
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<Result>> slots(window);
    std::size_t claimed = 0;  // items handed to a worker
    std::size_t emitted = 0;  // items handed to emit
    bool stop = false;
    std::exception_ptr failure;

    const auto fail = [&](std::exception_ptr error) {
        std::lock_guard lock(mutex);
        if (!failure)
            failure = error;
        stop = true;
    };

    const auto run = [&](Worker& worker) {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || claimed >= count || claimed < emitted + window; });
                if (stop || claimed >= count)
                    return;
                i = claimed++;
            }
            try {
                Result result = work(worker, i);
                std::lock_guard lock(mutex);
                slots[i % window].emplace(std::move(result));
            } catch (...) {
                fail(std::current_exception());
            }
            changed.notify_all();
        }
    };

    // Told to the threads on every way out of the block below, before they are joined.
    struct StopOnExit {
        std::mutex& mutex;
        bool& stop;
        std::condition_variable& changed;
        ~StopOnExit()
        {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            changed.notify_all();
        }
    };
    {
        std::vector<std::jthread> threads;
        const StopOnExit stopOnExit{mutex, stop, changed};  // destroyed before the threads are joined
        threads.reserve(workers.size());
        for (Worker& worker : workers)
            threads.emplace_back(run, std::ref(worker));

        for (std::size_t i = 0; i < count; ++i) {
            std::optional<Result> result;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || slots[i % window].has_value(); });
                if (!slots[i % window])
                    break;
                result.swap(slots[i % window]);
                emitted = i + 1;
            }
            changed.notify_all();
            try {
                emit(i, std::move(*result));
            } catch (...) {
                fail(std::current_exception());
                break;
            }
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace velmora_check

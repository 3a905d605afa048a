#pragma once
// Runs the items of a list on several threads at once, the calling thread
// among them, and returns when all are done. Items are taken in list order,
// one at a time, by whichever thread is free; each item writes only its own
// results, so what they make does not depend on the number of threads.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <vector>

#ifndef KERFWRIGHT_NO_THREADS
#include <thread>
#endif

namespace kerfwright {

// A build without threads (the WebAssembly one: a browser gives threads to
// no page opened from disk) has no second thread to start: there all work
// runs inline.
#ifdef KERFWRIGHT_NO_THREADS
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

// Calls `work(i)` for every i below `count` on up to `threads` threads. The
// first exception any item throws comes out once all threads have stopped;
// items not yet started by then are left undone.
template <class Work>
void shareWork(std::size_t count, std::size_t threads, const Work& work) {
    if (!kThreadsAvailable || threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) work(i);
        return;
    }
#ifndef KERFWRIGHT_NO_THREADS
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto takeItems = [&] {
        try {
            for (std::size_t i = next++; i < count && !failed; i = next++) work(i);
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(std::min(threads, count) - 1);
    try {
        while (helpers.size() + 1 < std::min(threads, count)) helpers.emplace_back(takeItems);
    } catch (...) {
        // No thread to be had: the ones started and this one do it all.
    }
    takeItems();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
#endif
}

}  // namespace kerfwright

#pragma once
// Work shared between threads so that what it makes does not depend on their
// number: the items of a list run at once, each writing only its own results;
// or a sequence of values is made on one thread and consumed, in order, on
// another.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace kerfwright {

// A build without threads (the WebAssembly one: a browser gives threads to
// no page opened from disk) has no second thread to start: there all work
// runs inline.
#ifdef KERFWRIGHT_NO_THREADS
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

// The number of threads work is shared between when nobody says otherwise:
// one per core this process may run on, and one where there are no threads.
std::size_t usableThreadCount();

// Tasks started on the process's worker threads, which are made as work
// first asks for them and then kept, idle, for the next: a conversion that
// shares out thousands of batches starts its threads once. Every thread that
// shares work comes from here. A task must not throw; whatever it touches
// must outlive `wait`, which the destructor calls.
class StartedTasks {
public:
    StartedTasks() = default;
    StartedTasks(const StartedTasks&) = delete;
    StartedTasks& operator=(const StartedTasks&) = delete;
    ~StartedTasks() { wait(); }

    // Runs `task` at once on a thread of its own; false when no thread can be
    // had (always, in a build without threads), and then the caller does the
    // work itself.
    bool start(std::function<void()> task);
    // Returns once every task started has ended.
    void wait();

private:
#ifndef KERFWRIGHT_NO_THREADS
    std::mutex mutex_;
    std::condition_variable ended_;
    std::size_t running_ = 0;
#endif
};

// Calls `work(i)` for every i below `count` on up to `threads` threads, the
// calling thread among them. Items are taken in list order, one at a time, by
// whichever thread is free. When items throw, the exception that comes out,
// once all threads have stopped, is the one of the first such item in list
// order, as in a run on one thread; items after it not yet started are left
// undone.
template <class Work>
void shareWork(std::size_t count, std::size_t threads, const Work& work) {
    if (!kThreadsAvailable || threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) work(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> stopAt{count};  // the first item that threw, so far
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto takeItems = [&] {
        for (std::size_t i = next++; i < stopAt; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (i < stopAt) {
                    failure = std::current_exception();
                    stopAt = i;
                }
            }
        }
    };
    {
        StartedTasks helpers;
        for (std::size_t started = 1; started < std::min(threads, count); ++started) {
            if (!helpers.start(takeItems)) break;  // the threads started and this one do it all
        }
        takeItems();
    }
    if (failure) std::rethrow_exception(failure);
}

// Calls `produce(hand)`, which makes values one after another and hands each
// over by calling `hand(std::move(value))`. With a thread to spare, a second
// thread calls `consume` on each value, in the order handed, while `produce`
// goes on to make the next; otherwise `hand` consumes the value itself.
// Handing over waits until the value before is consumed, so that at most one
// value is held waiting or being consumed. The values handed over are
// consumed, and the exception that comes out is the one met first, as when
// everything runs on one thread: one from `consume` comes out of the next
// `hand`, or at the end.
template <class Value, class Produce, class Consume>
void consumeAlongside(std::size_t threads, const Produce& produce, const Consume& consume) {
    const auto consumeInline = [&](Value&& value) { consume(std::move(value)); };
    if (!kThreadsAvailable || threads <= 1) {
        produce(consumeInline);
        return;
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Value> handed;  // held until consumed
    bool produced = false;
    std::exception_ptr failure;
    const auto consumeEach = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return handed || produced; });
            if (!handed) return;
            lock.unlock();
            try {
                consume(std::move(*handed));
            } catch (...) {
                lock.lock();
                failure = std::current_exception();
                handed.reset();
                changed.notify_all();
                return;
            }
            lock.lock();
            handed.reset();
            changed.notify_all();
        }
    };
    StartedTasks consumer;
    if (!consumer.start(consumeEach)) {
        produce(consumeInline);  // no thread to be had
        return;
    }
    // Lets the consumer finish what it holds and stop.
    const auto finish = [&] {
        {
            const std::lock_guard lock(mutex);
            produced = true;
        }
        changed.notify_all();
        consumer.wait();
    };
    const auto handOver = [&](Value&& value) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !handed || failure; });
        if (failure) std::rethrow_exception(failure);
        handed.emplace(std::move(value));
        lock.unlock();
        changed.notify_all();
    };
    try {
        produce(handOver);
    } catch (...) {
        finish();
        if (failure) std::rethrow_exception(failure);  // it came first, as inline
        throw;
    }
    finish();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kerfwright

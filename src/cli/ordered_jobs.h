#pragma once
// Works through a list on several threads and hands the results back in list
// order, on the calling thread, each as soon as it and all before it are done.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "values/work_sharing.h"

namespace kerfwright::cli {

template <class Result>
struct OrderedJobs {
    std::function<Result(std::size_t index)> work;            // runs on a worker thread
    // Runs on the calling thread, in index order. `nextIsReady` tells that the
    // next item is done too, so that a delivery may gather several and
    // finish them together.
    std::function<void(std::size_t index, Result&, bool nextIsReady)> deliver;
    std::function<void(std::size_t finished)> progress;       // runs on the calling thread

    // Even one job runs on a thread of its own, so that delivering an item
    // (which may wait for the disk) overlaps the work on the next. Workers
    // keep at most eight items per job ahead of delivery.
    // An exception thrown by `work` comes out of `run` when that item's turn
    // to be delivered comes, as if the work had run in order.
    void run(std::size_t count, std::size_t jobs) const {
        if (!kThreadsAvailable || count <= 1) {
            runInline(count);
        } else {
            runOnThreads(count, jobs < count ? jobs : count);
        }
    }

private:
    struct Outcome {
        std::optional<Result> result;
        std::exception_ptr failure;
    };

    // What the workers and the calling thread share.
    struct Shared {
        std::mutex mutex;
        std::condition_variable finishedOne;
        std::condition_variable deliveredOne;
        std::vector<Outcome> outcomes;
        std::vector<bool> done;
        std::size_t next = 0;      // the next item a worker takes
        std::size_t finished = 0;  // items done, in any order
        std::size_t delivered = 0;
        std::size_t ahead = 0;  // how far past `delivered` a worker may take items
    };

    void runInline(std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i) {
            Result result = work(i);
            progress(i + 1);
            deliver(i, result, false);
        }
    }

    void workLoop(Shared& shared) const {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(shared.mutex);
                shared.deliveredOne.wait(lock, [&] {
                    return shared.next >= shared.outcomes.size() || shared.next < shared.delivered + shared.ahead;
                });
                if (shared.next >= shared.outcomes.size()) return;
                index = shared.next++;
            }
            Outcome outcome;
            try {
                outcome.result.emplace(work(index));
            } catch (...) {
                outcome.failure = std::current_exception();
            }
            {
                const std::lock_guard lock(shared.mutex);
                shared.outcomes[index] = std::move(outcome);
                shared.done[index] = true;
                ++shared.finished;
            }
            shared.finishedOne.notify_one();
        }
    }

    void runOnThreads(std::size_t count, std::size_t jobs) const {
        Shared shared;
        shared.outcomes.resize(count);
        shared.done.resize(count, false);
        shared.ahead = 8 * jobs;
        StartedTasks workers;
        // Stops the workers taking new items when delivering fails, then
        // waits for them, whatever way this function is left.
        struct StopOnExit {
            Shared& shared;
            StartedTasks& workers;
            ~StopOnExit() {
                {
                    const std::lock_guard lock(shared.mutex);
                    shared.next = shared.outcomes.size();
                }
                shared.deliveredOne.notify_all();
                workers.wait();
            }
        } stopOnExit{shared, workers};
        std::size_t started = 0;
        while (started < jobs && workers.start([this, &shared] { workLoop(shared); })) ++started;
        if (started == 0) {
            runInline(count);  // no thread to be had
            return;
        }

        std::size_t shownFinished = 0;
        for (std::size_t delivered = 0; delivered < count; ++delivered) {
            Outcome outcome;
            bool nextIsReady = false;
            {
                std::unique_lock lock(shared.mutex);
                for (;;) {
                    shared.finishedOne.wait(
                        lock, [&] { return shared.finished != shownFinished || shared.done[delivered]; });
                    if (shared.finished == shownFinished) break;
                    shownFinished = shared.finished;
                    lock.unlock();
                    progress(shownFinished);
                    lock.lock();
                }
                outcome = std::move(shared.outcomes[delivered]);
                nextIsReady = delivered + 1 < count && shared.done[delivered + 1];
            }
            if (outcome.failure) std::rethrow_exception(outcome.failure);
            deliver(delivered, *outcome.result, nextIsReady);
            {
                const std::lock_guard lock(shared.mutex);
                shared.delivered = delivered + 1;
            }
            shared.deliveredOne.notify_all();
        }
    }
};

}  // namespace kerfwright::cli

#include "values/work_sharing.h"

#ifndef KERFWRIGHT_NO_THREADS
#include <sched.h>
#include <unistd.h>

#include <memory>
#include <thread>
#include <vector>
#endif

namespace kerfwright {

std::size_t usableThreadCount() {
#ifdef KERFWRIGHT_NO_THREADS
    // No thread to spread over, nor a way to ask for the cores.
    return 1;
#else
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&usable));
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
#endif
}

#ifdef KERFWRIGHT_NO_THREADS

bool StartedTasks::start(std::function<void()>) { return false; }

void StartedTasks::wait() {}

#else

namespace {

// The process's worker threads. Each serves one task at a time and then
// waits, idle, for the next; a task is only ever given to an idle thread, so
// it starts at once and never waits behind another, which is what lets work
// shared out from within shared work never wait on itself.
class WorkerThreads {
public:
    // Never destroyed: at exit the idle threads end with the process, and
    // nothing waits for a thread that may still be busy.
    static WorkerThreads& shared() {
        static WorkerThreads* const threads = new WorkerThreads;
        return *threads;
    }

    bool start(std::function<void()> task) {
        // A child forked from this process has none of its threads.
        if (::getpid() != owner_) return false;
        const std::lock_guard lock(mutex_);
        Worker* worker = nullptr;
        if (!idle_.empty()) {
            worker = idle_.back();
            idle_.pop_back();
        } else {
            if (workers_.size() >= kMostThreads) return false;
            auto made = std::make_unique<Worker>();
            try {
                made->thread = std::thread([this, serving = made.get()] { serve(*serving); });
            } catch (...) {
                return false;  // the system has no thread to give
            }
            worker = workers_.emplace_back(std::move(made)).get();
        }
        worker->task = std::move(task);
        worker->woken.notify_one();
        return true;
    }

private:
    // Far more than any machine has cores: only a command asking for more
    // jobs than that meets the bound, and then runs fewer at once.
    static constexpr std::size_t kMostThreads = 256;

    struct Worker {
        std::condition_variable woken;
        std::function<void()> task;
        std::thread thread;
    };

    WorkerThreads() = default;

    void serve(Worker& worker) {
        std::unique_lock lock(mutex_);
        for (;;) {
            worker.woken.wait(lock, [&] { return worker.task != nullptr; });
            {
                const std::function<void()> task = std::move(worker.task);
                worker.task = nullptr;
                lock.unlock();
                task();
            }
            lock.lock();
            idle_.push_back(&worker);
        }
    }

    const pid_t owner_ = ::getpid();
    std::mutex mutex_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<Worker*> idle_;
};

}  // namespace

bool StartedTasks::start(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        ++running_;
    }
    const bool started = WorkerThreads::shared().start([this, task = std::move(task)] {
        task();
        const std::lock_guard lock(mutex_);
        if (--running_ == 0) ended_.notify_all();
    });
    if (!started) {
        const std::lock_guard lock(mutex_);
        --running_;
    }
    return started;
}

void StartedTasks::wait() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [&] { return running_ == 0; });
}

#endif

}  // namespace kerfwright

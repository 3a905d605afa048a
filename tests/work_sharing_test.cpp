#include "values/work_sharing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kerfwright {
namespace {

// Hands 0, 1, 2, ... up to `count`, then throws when `producerFails`; the
// consumer throws on `failingValue`. What was consumed, and what came out.
std::string run(std::size_t threads, int count, bool producerFails, int failingValue) {
    std::vector<int> consumed;
    std::string outcome;
    try {
        consumeAlongside<int>(
            threads,
            [&](const auto& hand) {
                for (int i = 0; i < count; ++i) hand(int{i});
                if (producerFails) throw std::runtime_error("producer");
            },
            [&](int&& value) {
                if (value == failingValue) throw std::runtime_error("consumer at " + std::to_string(value));
                consumed.push_back(value);
            });
        outcome = "done";
    } catch (const std::runtime_error& error) {
        outcome = error.what();
    }
    for (const int value : consumed) outcome += " " + std::to_string(value);
    return outcome;
}

// On a second thread, values are consumed as on one: in order, every value
// handed over before a failure, none after the consumer's.
TEST(ConsumeAlongside, ConsumesInOrderAndFailsAsInline) {
    for (const std::size_t threads : {1, 2}) {
        EXPECT_EQ(run(threads, 200, false, -1), run(1, 200, false, -1)) << threads;
        EXPECT_EQ(run(threads, 5, false, -1), "done 0 1 2 3 4") << threads;
        EXPECT_EQ(run(threads, 5, true, -1), "producer 0 1 2 3 4") << threads;
        EXPECT_EQ(run(threads, 5, false, 2), "consumer at 2 0 1") << threads;
        EXPECT_EQ(run(threads, 5, true, 4), "consumer at 4 0 1 2 3") << threads;
    }
}

// Whichever thread meets a failure first, the one that comes out is the
// first in list order, and every item before it has run: as on one thread.
TEST(ShareWork, FailsWithTheFirstFailingItemInListOrder) {
    for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<bool>> ran(100);
        std::string failure;
        try {
            shareWork(ran.size(), 4, [&](std::size_t i) {
                ran[i] = true;
                if (i % 30 == 29) throw std::runtime_error(std::to_string(i));
            });
        } catch (const std::runtime_error& error) {
            failure = error.what();
        }
        ASSERT_EQ(failure, "29") << "round " << round;
        for (std::size_t i = 0; i < 29; ++i) ASSERT_TRUE(ran[i]) << i << " in round " << round;
    }
}

// Work shared out again and again runs on the same few threads, not on a
// new thread for every call.
TEST(ShareWork, KeepsItsThreadsFromOneCallToTheNext) {
    std::mutex mutex;
    std::set<pid_t> threads;
    for (int call = 0; call < 300; ++call) {
        shareWork(8, 3, [&](std::size_t) {
            const std::lock_guard lock(mutex);
            threads.insert(::gettid());
        });
    }
    EXPECT_LE(threads.size(), 8u);
}

}  // namespace
}  // namespace kerfwright

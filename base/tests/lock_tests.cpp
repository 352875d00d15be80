// The Windows lock (a critical section) keeps two threads' updates of shared
// data whole: without it, read-modify-write steps interleave and updates are
// lost.
#include "base/lock.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Lock, KeepsConcurrentUpdatesWhole) {
    mg::Lock lock;
    volatile long counter = 0;
    const long perThread = 20000;
    auto work = [&] {
        for (long i = 0; i < perThread; ++i) {
            mg::LockGuard guard(lock);
            long value = counter;
            std::this_thread::yield();
            counter = value + 1;
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    EXPECT_EQ(counter, 2 * perThread);
}

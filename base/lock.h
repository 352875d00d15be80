// A lock for data that the worker and the main thread share.
#pragma once

#ifndef _WIN32
#include <mutex>
#endif

namespace mg {

// On Windows a critical section: the shipped launcher is built by the
// win32-thread compiler, whose runtime has no std::mutex (and so no
// winpthread to link). Elsewhere std::mutex.
class Lock {
public:
#ifdef _WIN32
    Lock();
    ~Lock();
#else
    Lock() = default;
    ~Lock() = default;
#endif
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock();
    void unlock();

private:
#ifdef _WIN32
    // Room for a CRITICAL_SECTION (24 bytes for i686, 40 for x86_64), so that
    // this header needs no <windows.h>; lock.cpp checks the size.
    alignas(void*) unsigned char section_[4 * sizeof(void*) + 8];
#else
    std::mutex mutex_;
#endif
};

// Holds a Lock for its own lifetime.
class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.lock(); }
    ~LockGuard() { lock_.unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

}  // namespace mg

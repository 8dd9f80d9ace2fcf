#pragma once

#include <atomic>
#include <cstdint>

namespace panel_host {

// A lock for the few short sections a module's own thread may enter, and an
// identity for the calling thread. Built on atomics alone, because MinGW's
// win32 thread model (panel-host.exe) has neither std::mutex nor
// std::thread.
class spinLock {
public:
    void lock() noexcept
    {
        while (held_.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() noexcept { held_.clear(std::memory_order_release); }

private:
    std::atomic_flag held_ = ATOMIC_FLAG_INIT;
};

// Holds a spinLock for its scope.
class spinLockGuard {
public:
    explicit spinLockGuard(spinLock& held) noexcept : held_(held) { held_.lock(); }
    ~spinLockGuard() { held_.unlock(); }
    spinLockGuard(const spinLockGuard&) = delete;
    spinLockGuard& operator=(const spinLockGuard&) = delete;

private:
    spinLock& held_;
};

// Distinct for every thread alive at the same time: the address of a
// variable each thread has its own copy of.
inline std::uintptr_t callingThreadToken() noexcept
{
    static thread_local const char marker = 0;
    return reinterpret_cast<std::uintptr_t>(&marker);
}

}  // namespace panel_host

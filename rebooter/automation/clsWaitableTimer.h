#pragma once

#include <cstdint>
#include <functional>

// A wait that keeps the calling thread's events flowing. On Windows it waits on
// a system waitable timer and dispatches the thread's window messages while it
// waits; elsewhere it sleeps in short slices. The event pump, when given, runs
// between the slices (or after every message) so a caller with its own event
// loop stays responsive.
class clsWaitableTimer {
public:
    explicit clsWaitableTimer(std::function<void()> pumpEvents = {});
    ~clsWaitableTimer();
    clsWaitableTimer(const clsWaitableTimer &) = delete;
    clsWaitableTimer &operator=(const clsWaitableTimer &) = delete;

    // Returns when the time has passed. A failing timer call throws
    // std::runtime_error whose text ends in "[clsWaitableTimer.Wait]".
    void Wait(std::uint32_t milliSeconds);

private:
    std::function<void()> pumpEvents_;
    void *timerHandle_ = nullptr;  // the Windows timer while a wait runs
};

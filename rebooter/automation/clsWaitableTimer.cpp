#include "rebooter/automation/clsWaitableTimer.h"

#include "rebooter/automation/ControlListing.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>

namespace {

[[noreturn]] void fail(const std::string &what, unsigned long code)
{
    throw std::runtime_error(what + " (" + std::to_string(code) + ") [clsWaitableTimer.Wait]");
}

}  // namespace
#endif

clsWaitableTimer::clsWaitableTimer(std::function<void()> pumpEvents) : pumpEvents_(std::move(pumpEvents))
{
}

clsWaitableTimer::~clsWaitableTimer()
{
#ifdef _WIN32
    if (timerHandle_)
        CloseHandle(timerHandle_);
#endif
}

#ifdef _WIN32

void clsWaitableTimer::Wait(std::uint32_t milliSeconds)
{
    // An unnamed timer: no other wait can share it.
    timerHandle_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    if (!timerHandle_)
        fail("CreateWaitableTimer", GetLastError());
    LARGE_INTEGER due;
    due.QuadPart = ControlListing::RelativeDueTime(milliSeconds);
    if (!SetWaitableTimer(timerHandle_, &due, 0, nullptr, nullptr, FALSE)) {
        const DWORD error = GetLastError();
        CloseHandle(timerHandle_);
        timerHandle_ = nullptr;
        fail("SetWaitableTimer", error);
    }
    HANDLE timer = timerHandle_;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (pumpEvents_)
            pumpEvents_();
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke == WAIT_FAILED) {
            const DWORD error = GetLastError();
            CloseHandle(timerHandle_);
            timerHandle_ = nullptr;
            fail("MsgWaitForMultipleObjects", error);
        }
    }
    CloseHandle(timerHandle_);
    timerHandle_ = nullptr;
}

#else

void clsWaitableTimer::Wait(std::uint32_t milliSeconds)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(milliSeconds);
    constexpr auto slice = std::chrono::milliseconds(10);
    for (;;) {
        if (pumpEvents_)
            pumpEvents_();
        const auto now = Clock::now();
        if (now >= end)
            break;
        std::this_thread::sleep_for(std::min<Clock::duration>(slice, end - now));
    }
}

#endif

#pragma once
// A window timer in the manner of a form component: enabled, interval, and a
// handler that the owner window's WM_TIMER runs.
#include <windows.h>

#include <functional>

class TTimer {
public:
    TTimer(UINT_PTR id, UINT interval) : fId(id), fInterval(interval) {}
    ~TTimer() { Stop(); }
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void SetOwner(HWND owner);
    void SetEnabled(bool enabled);
    void SetInterval(UINT interval);
    UINT_PTR Id() const noexcept { return fId; }
    bool Enabled() const noexcept { return fEnabled; }
    // The first time, on the GetTickCount64 clock, at or after now at which
    // the running timer is due; 0 when it does not run. Every change of the
    // timer starts its count again.
    ULONGLONG NextDue(ULONGLONG now) const noexcept;

    std::function<void()> OnTimer;

private:
    void Update();
    void Stop();

    UINT_PTR fId;
    UINT fInterval;
    bool fEnabled = false;
    bool fRunning = false;
    ULONGLONG fStarted = 0;  // GetTickCount64 when the running timer was set
    HWND fOwner = nullptr;
};

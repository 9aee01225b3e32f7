#include "timer.h"

#include "os_error.h"

void TTimer::SetOwner(HWND owner) {
    Stop();
    fOwner = owner;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == fEnabled) return;
    fEnabled = enabled;
    Update();
}

void TTimer::SetInterval(UINT interval) {
    if (interval == fInterval) return;
    fInterval = interval;
    Update();
}

ULONGLONG TTimer::NextDue(ULONGLONG now) const noexcept {
    if (!fRunning) return 0;
    // A window timer fires again and again at its interval.
    const ULONGLONG elapsed = now > fStarted ? now - fStarted : 0;
    const ULONGLONG periods = elapsed == 0 ? 1 : (elapsed + fInterval - 1) / fInterval;
    return fStarted + periods * fInterval;
}

void TTimer::Stop() {
    if (fRunning && fOwner) ::KillTimer(fOwner, fId);
    fRunning = false;
}

// Every change restarts the count from zero, as disabling and enabling does.
void TTimer::Update() {
    Stop();
    if (!fEnabled || fInterval == 0 || !fOwner) return;
    if (!::SetTimer(fOwner, fId, fInterval, nullptr)) RaiseLastOSError();
    fStarted = ::GetTickCount64();
    fRunning = true;
}

#include "library_call.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "exception_filter.h"

namespace {

// The state in one word: the start tick above, the kind in the low bits.
const unsigned cKindBits = 3;
const std::uint64_t cKindMask = (std::uint64_t{1} << cKindBits) - 1;
const std::uint64_t cAbandoned = cKindMask;  // a kind of its own: given up

std::atomic<std::uint64_t> gCall{0};
std::atomic<bool> gWorkDone{false};
std::atomic<void (*)() noexcept> gAbandonedCallWait{nullptr};

std::uint64_t Packed(TLibraryCallKind kind, std::uint64_t started) noexcept {
    return (started << cKindBits) | static_cast<std::uint64_t>(kind);
}

TLibraryCallState Unpacked(std::uint64_t word) noexcept {
    TLibraryCallState state;
    state.Started = word >> cKindBits;
    if ((word & cKindMask) == cAbandoned) {
        state.Abandoned = true;
        state.Kind = TLibraryCallKind::Ordinary;
    } else {
        state.Kind = static_cast<TLibraryCallKind>(word & cKindMask);
    }
    return state;
}

// A call that was given up: the GUI thread stays here until the process ends.
[[noreturn]] void WaitForTheEnd() noexcept {
    if (void (*wait)() noexcept = gAbandonedCallWait.load()) wait();
    for (;;) ::Sleep(INFINITE);
}

}  // namespace

TLibraryCall::TLibraryCall(TLibraryCallKind kind) noexcept {
    if (kind == TLibraryCallKind::Ordinary && gWorkDone) kind = TLibraryCallKind::Finishing;
    fOuter = gCall.load();
    fOwn = Packed(kind, WatchClockNow());
    // The watchdog may give the outer call up at any moment; no new call
    // starts after that.
    if ((fOuter & cKindMask) == cAbandoned || !gCall.compare_exchange_strong(fOuter, fOwn)) WaitForTheEnd();
}

TLibraryCall::~TLibraryCall() {
    RestoreProgramExceptionFilter();
    std::uint64_t own = fOwn;
    if (!gCall.compare_exchange_strong(own, fOuter)) WaitForTheEnd();
}

unsigned long long WatchClockNow() noexcept {
    ULONGLONG interruptTime = 0;  // in 100 ns
    static_cast<void>(::QueryUnbiasedInterruptTime(&interruptTime));
    return interruptTime / 10000;
}

TLibraryCallState CurrentLibraryCall() noexcept { return Unpacked(gCall.load()); }

bool AbandonLibraryCall(const TLibraryCallState& seen) noexcept {
    if (seen.Abandoned) return true;
    std::uint64_t expected = Packed(seen.Kind, seen.Started);
    return gCall.compare_exchange_strong(expected, Packed(TLibraryCallKind::None, seen.Started) | cAbandoned);
}

bool LibraryCallAbandoned() noexcept { return CurrentLibraryCall().Abandoned; }

void ForgetLibraryCall() noexcept {
    std::uint64_t current = gCall.load();
    // A call given up stays given up.
    while ((current & cKindMask) != cAbandoned && !gCall.compare_exchange_weak(current, 0)) {
    }
}

void MarkLibraryWorkDone() noexcept { gWorkDone = true; }

void SetAbandonedCallWait(void (*wait)() noexcept) noexcept { gAbandonedCallWait = wait; }

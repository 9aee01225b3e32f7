#pragma once
// The rules of the fault machinery, without Windows so that they can be
// tested on their own: the watchdog's (DecideWatch) and the stack that every
// thread keeps back for the report of its own overflow (StackGuaranteeFor).
#include <cstdint>

#include "library_call.h"

// The watchdog's rules: from what it reads at one look (times on the
// GetTickCount64 clock, in ms), whether it waits, gives the GUI thread's
// library call up, or ends the process.

// Its bounds, in ms.
// From a fault until a box of its report is on screen.
const unsigned long long cReportBoxBound = 10000;
// From the close timer being due, after a handler's failure.
const unsigned long long cCloseTimerBound = 10000;
// From the close timer of "/T" or "/P" being enabled until an ordinary call
// into the library that still runs is given up; the close timer, due later,
// then ends the run.
const unsigned long long cOperationDeadline = 30000;
// A call that finishes work already done.
const unsigned long long cFinishingBound = 10000;

struct TWatchLook {
    unsigned long long Now = 0;
    // The GUI thread's call into the library.
    TLibraryCallState Call;
    // The operation: when its close timer was enabled, and when it is due (0: not armed).
    unsigned long long OperationStarted = 0;
    unsigned long long OperationDue = 0;
    // The first fault: when it came (0: none), whether a box of its report is
    // on screen, and after a handler's failure when the close timer is due
    // (0: none is armed).
    unsigned long long FaultTick = 0;
    bool BoxShown = false;
    unsigned long long FaultCloseTimerDue = 0;
};

enum class TWatchAction {
    Wait,
    // Give the GUI thread's call up and report the operation's time-out.
    GiveUpCall,
    // End the process with TWatchDecision::ExitCode.
    End,
};

struct TWatchDecision {
    TWatchAction Action = TWatchAction::Wait;
    unsigned ExitCode = 0;
};

// The rules, first match:
//  - a save runs: wait, however long (a cut save may tear the document);
//  - after a fault: no box 10 s after it, end with 1; after a handler's
//    failure, 10 s after the close timer was due, end with 0 (the end the
//    timer would have given); else wait;
//  - a call given up: end with 0 when the close timer is due;
//  - an ordinary call still running 30 s after the operation's close timer
//    was enabled: give it up;
//  - a call finishing work already done and running for 10 s: end with 0,
//    the end the run would have had;
//  - else wait.
TWatchDecision DecideWatch(const TWatchLook& look) noexcept;

// How much stack a thread keeps back for the report of its own stack
// overflow. The system dispatches the overflow, up to the crash filter, on
// what is left below the guard page, which alone is too little: without a
// guarantee the process ends silently.

// The guarantee a thread gets as it starts, in bytes.
inline constexpr std::uint32_t cThreadStackGuarantee = 32 * 1024;

// The smallest stack reserve that gives up a guarantee: a thread with less
// keeps all of its stack for its own work, which a library sized for it.
inline constexpr std::uint64_t cSmallestGuaranteedReserve = 8 * std::uint64_t{cThreadStackGuarantee};

// The guarantee for a thread whose stack reserve runs from lowLimit up to
// highLimit (as GetCurrentThreadStackLimits gives them): cThreadStackGuarantee
// for a reserve of cSmallestGuaranteedReserve or more; 0, none, for a smaller
// reserve or limits that make none.
std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept;

#pragma once
// The rules of the fault machinery, without Windows so that they can be
// tested on their own: the watchdog's (DecideWatch) and the stack that every
// thread keeps back for the report of its own overflow (StackGuaranteeFor).
#include <cstdint>

#include "library_call.h"

// The watchdog's rules: from what it reads at one look (times in ms on
// WatchClockNow's clock, which stands still while the machine sleeps),
// whether it waits, gives the GUI thread's library call up, or ends the
// process.

// Its bounds, in ms.
// From a fault until a box of its report is on screen.
const unsigned long long cReportBoxBound = 10000;
// From the close timer being due, after a handler's failure.
const unsigned long long cCloseTimerBound = 10000;
// How long one ordinary call of "/T" or "/P" may run before it is given up.
const unsigned long long cCallDeadline = 30000;
// From a call's give-up to the run's end: the time the close timer gave the
// time-out's box.
const unsigned long long cGiveUpEndDelay = 6000;
// A call that finishes work already done.
const unsigned long long cFinishingBound = 10000;
// How long after a fault a save that runs may still hold the end back.
const unsigned long long cSaveAfterFaultBound = 30000;

struct TWatchLook {
    unsigned long long Now = 0;
    // The GUI thread's call into the library.
    TLibraryCallState Call;
    // Whether "/T" or "/P" has armed the watchdog: only their calls are bounded.
    bool OperationArmed = false;
    // When the watchdog gave the call up (0: it has not).
    unsigned long long GivenUp = 0;
    // The first fault: when it came (0: none), whether a box of its report is
    // on screen, and after a handler's failure when the close timer is due
    // (0: none is armed).
    unsigned long long FaultAt = 0;
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
//  - a call given up: end 6 s after the give-up, with 0, or with 1 when a
//    fault came too (the fault's box may still be up);
//  - a save runs and holds the end back (SaveHoldsTheEnd): wait;
//  - after a fault: no box 10 s after it, end with 1; after a handler's
//    failure, 10 s after the close timer was due, end with 0 (the end the
//    timer would have given); else wait;
//  - an ordinary call of "/T" or "/P" that has itself run 30 s: give it up;
//  - a call finishing work already done and running for 10 s: end with 0,
//    the end the run would have had;
//  - else wait.
TWatchDecision DecideWatch(const TWatchLook& look) noexcept;

// Whether an end asked for now waits for the call that runs: a save is never
// cut (a cut save may tear the document), unless a fault came 30 s ago or
// more: a save that waits for a faulted thread would never return.
bool SaveHoldsTheEnd(const TLibraryCallState& call, unsigned long long now, unsigned long long faultAt) noexcept;

// What a message loop of the GUI thread may dispatch (MayDispatch, which
// reads the message and the program's state for it).
struct TDispatchLook {
    bool Faulted = false;     // a fault has come
    bool GivenUp = false;     // a call into the library was given up
    bool Quit = false;        // the quit message
    bool Timer = false;       // a timer's tick
    bool TimerProcedure = false;  // a tick that calls a timer procedure
    bool OwnWindow = false;   // for one of the program's own windows
};

// The rule: everything before a fault or a give-up; from then on the quit
// message and the messages of the program's own windows, but never a timer
// procedure (whatever the window), and after a give-up no tick at all: the
// close timer's would run the program's close handler, and nothing of the
// operation runs any more.
bool DispatchAllowed(const TDispatchLook& look) noexcept;

// How much stack a thread keeps back for the report of its own stack
// overflow. The system dispatches the overflow, up to the crash filter, on
// what is left below the guard page, which alone is too little: without a
// guarantee the process ends silently.

// The guarantee a thread gets as it starts, in bytes.
inline constexpr std::uint32_t cThreadStackGuarantee = 32 * 1024;

// The smallest stack reserve that gives up a guarantee, 1 MiB (the default
// reserve of a thread): there the guarantee costs 1/32 of the stack. A thread
// with less, which a library may have sized to its need, keeps all of its
// stack for its own work.
inline constexpr std::uint64_t cSmallestGuaranteedReserve = std::uint64_t{1024} * 1024;

// The guarantee for a thread whose stack reserve runs from lowLimit up to
// highLimit (as GetCurrentThreadStackLimits gives them): cThreadStackGuarantee
// for a reserve of cSmallestGuaranteedReserve or more; 0, none, for a smaller
// reserve or limits that make none.
std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept;

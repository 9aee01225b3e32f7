#pragma once
// Calls of the GUI thread into a library that may misbehave (the Document
// Manager): each one puts the program's filter for unhandled structured
// exceptions back when it ends, and is published while it runs, with its kind
// and start, for the watchdog that bounds the run (app/faults/watchdog.h).
//
// The state is one atomic word. The GUI thread publishes a call as it starts
// and takes it back as it ends; the watchdog may give the running call up
// (AbandonLibraryCall). A call given up never returns into the program's
// code: when it comes back late, the GUI thread waits there for the end.

// What a call into the library is to the bound of the run.
enum class TLibraryCallKind : unsigned {
    None,        // no call runs
    Ordinary,    // part of the operation: under the operation's deadline
    Save,        // the document being saved: not cut (but after a fault)
    Finishing,   // after the work is done (a close, a release, COM's end)
};

// What the GUI thread does now, as the watchdog reads it.
struct TLibraryCallState {
    TLibraryCallKind Kind = TLibraryCallKind::None;
    unsigned long long Started = 0;  // WatchClockNow at the call's start
    bool Abandoned = false;          // given up by the watchdog
};

// The clock of the calls' starts and of the watchdog, in ms: the unbiased
// interrupt time (QueryUnbiasedInterruptTime), which stands still while the
// machine sleeps or hibernates. A call is bounded by the time it has run,
// not by a closed lid.
unsigned long long WatchClockNow() noexcept;

// A call into the library for as long as the object lives. Made on the GUI
// thread only. Ordinary calls count as Finishing once MarkLibraryWorkDone has
// been called. Calls may nest: the inner one is published while it runs, and
// the outer one again, with its own start, once it has ended. A call that
// starts once a call has been given up, nested or not, does not start: the
// thread waits there for the end.
class TLibraryCall {
public:
    explicit TLibraryCall(TLibraryCallKind kind = TLibraryCallKind::Ordinary) noexcept;
    // Puts the program's exception filter back, then ends the call; a call
    // that was given up meanwhile does not come back from here.
    ~TLibraryCall();
    TLibraryCall(const TLibraryCall&) = delete;
    TLibraryCall& operator=(const TLibraryCall&) = delete;

private:
    unsigned long long fOuter;  // the state before this call
    unsigned long long fOwn;    // the state this call published
};

// The call the GUI thread is in now.
TLibraryCallState CurrentLibraryCall() noexcept;

// Gives the call seen up (the watchdog, when its deadline has passed): true
// when the GUI thread was still in that very call, false when it has moved on
// meanwhile. From then on no call into the library starts and none returns.
bool AbandonLibraryCall(const TLibraryCallState& seen) noexcept;

// Whether a call has been given up.
bool LibraryCallAbandoned() noexcept;

// For a fault inside a call on the GUI thread: the call never returns, and
// nothing runs there any more, so no call is published.
void ForgetLibraryCall() noexcept;

// The operation's work is done (the document saved, the preview written):
// the calls from now on only finish it. Not after a failed save: the calls
// that close the document then stay under the operation's deadline.
void MarkLibraryWorkDone() noexcept;

// Where the GUI thread waits for the end when a call that was given up comes
// back late (it serves the program's own windows meanwhile). Without one it
// sleeps for good.
void SetAbandonedCallWait(void (*wait)() noexcept) noexcept;

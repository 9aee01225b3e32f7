#include "fault_rules.h"

#include <gtest/gtest.h>

#include "param_name.h"

namespace {

using Kind = TLibraryCallKind;

// Times in ms on the watchdog's clock, which stands still while the machine
// sleeps; the operation armed at 1000.
const unsigned long long cStarted = 1000;

struct WatchCase {
    const char* name;
    TWatchLook look;
    TWatchAction action;
    unsigned exitCode;
};

TLibraryCallState Call(Kind kind, unsigned long long started, bool abandoned = false) {
    TLibraryCallState call;
    call.Kind = kind;
    call.Started = started;
    call.Abandoned = abandoned;
    return call;
}

// A look with no operation armed ("/R", "/O", start-up and end).
TWatchLook Unarmed(unsigned long long now, TLibraryCallState call) {
    TWatchLook look;
    look.Now = now;
    look.Call = call;
    return look;
}

// A look during an armed operation, at now, with the GUI thread in call.
TWatchLook Operation(unsigned long long now, TLibraryCallState call) {
    TWatchLook look = Unarmed(now, call);
    look.OperationArmed = true;
    return look;
}

// A look after the watchdog gave the call up at givenUp.
TWatchLook GivenUp(unsigned long long now, unsigned long long givenUp) {
    TWatchLook look = Operation(now, Call(Kind::Ordinary, cStarted, /*abandoned=*/true));
    look.GivenUp = givenUp;
    return look;
}

// A look after a fault at faultAt.
TWatchLook Fault(TWatchLook look, unsigned long long faultAt, bool boxShown, unsigned long long closeTimerDue = 0) {
    look.FaultAt = faultAt;
    look.BoxShown = boxShown;
    look.FaultCloseTimerDue = closeTimerDue;
    return look;
}

class WatchRulesTest : public testing::TestWithParam<WatchCase> {};

TEST_P(WatchRulesTest, ActsOrWaits) {
    const TWatchDecision decision = DecideWatch(GetParam().look);
    EXPECT_EQ(decision.Action, GetParam().action);
    if (GetParam().action == TWatchAction::End) {
        EXPECT_EQ(decision.ExitCode, GetParam().exitCode);
    }
}

const TWatchAction cWait = TWatchAction::Wait;
const TWatchAction cGiveUp = TWatchAction::GiveUpCall;
const TWatchAction cEnd = TWatchAction::End;

INSTANTIATE_TEST_SUITE_P(
    Cases, WatchRulesTest,
    testing::Values(
        // The deadline is the call's own: 30 s of its own running.
        WatchCase{"CallRunning29s", Operation(cStarted + 29000, Call(Kind::Ordinary, cStarted)), cWait, 0},
        WatchCase{"CallRunning30s", Operation(cStarted + 30000, Call(Kind::Ordinary, cStarted)), cGiveUp, 0},
        // Three calls of 20 s each (opening over a slow line, the preview, the
        // close): 60 s in all, never given up.
        WatchCase{"ThirdOf20sCallsAt60s", Operation(cStarted + 59999, Call(Kind::Ordinary, cStarted + 40000)),
                  cWait, 0},
        // The machine slept an hour with the lid closed during a call: that
        // hour is not on the watchdog's clock, so the call has run 5 s.
        WatchCase{"LookAfterAnHourAsleep", Operation(cStarted + 5000, Call(Kind::Ordinary, cStarted)), cWait, 0},
        WatchCase{"NoCall", Operation(cStarted + 90000, Call(Kind::None, 0)), cWait, 0},
        // Without an armed operation ("/R", "/O", start-up) nothing is bounded.
        WatchCase{"OrdinaryCallWithoutOperation", Unarmed(cStarted + 600000, Call(Kind::Ordinary, cStarted)), cWait,
                  0},
        // A save is never cut while no fault has come.
        WatchCase{"SaveOfTwoMinutes", Operation(cStarted + 120000, Call(Kind::Save, cStarted)), cWait, 0},
        // A fault while a save runs: the save may hold the end back 30 s after
        // the fault; a report without a box then ends the run, one that is up
        // waits for its answer.
        WatchCase{"SaveAfterFaultWithoutBoxWithin30s",
                  Fault(Operation(cStarted + 31999, Call(Kind::Save, cStarted)), cStarted + 2000,
                        /*boxShown=*/false),
                  cWait, 0},
        WatchCase{"SaveAfterFaultWithoutBoxAt30s",
                  Fault(Operation(cStarted + 32000, Call(Kind::Save, cStarted)), cStarted + 2000,
                        /*boxShown=*/false),
                  cEnd, 1},
        WatchCase{"SaveAfterFaultWithBoxAt30s",
                  Fault(Operation(cStarted + 32000, Call(Kind::Save, cStarted)), cStarted + 2000,
                        /*boxShown=*/true),
                  cWait, 0},
        // Work already done: a call finishing it is bounded by 10 s of its own.
        WatchCase{"FinishingCallWithin10s", Operation(cStarted + 9999, Call(Kind::Finishing, cStarted)), cWait, 0},
        WatchCase{"FinishingCallAfter10s", Operation(cStarted + 10000, Call(Kind::Finishing, cStarted)), cEnd, 0},
        WatchCase{"FinishingCallAtTheEndOfTheRun", Unarmed(50000, Call(Kind::Finishing, 40000)), cEnd, 0},
        // After a failed save the close is an ordinary call: 10 s are no
        // bound for it, 30 s give it up (with the box).
        WatchCase{"CloseAfterFailedSaveAt10s", Operation(cStarted + 10000, Call(Kind::Ordinary, cStarted)), cWait,
                  0},
        // A call given up: the run ends 6 s later.
        WatchCase{"GivenUpWithin6s", GivenUp(cStarted + 35999, cStarted + 30000), cWait, 0},
        WatchCase{"GivenUp6sLater", GivenUp(cStarted + 36000, cStarted + 30000), cEnd, 0},
        // A fault that came just before the give-up: its box may be up, the
        // run still ends at the give-up's end, with 1.
        WatchCase{"FaultThenGivenUp",
                  Fault(GivenUp(cStarted + 36000, cStarted + 30000), cStarted + 29950, /*boxShown=*/true), cEnd, 1},
        WatchCase{"FaultThenGivenUpWithin6s",
                  Fault(GivenUp(cStarted + 35000, cStarted + 30000), cStarted + 29950, /*boxShown=*/true), cWait, 0},
        // Faults: their report's bounds, and no deadline after them.
        WatchCase{"FaultBoxNotOnScreenAfter10s",
                  Fault(Unarmed(20000, Call(Kind::None, 0)), 10000, /*boxShown=*/false), cEnd, 1},
        WatchCase{"FaultBoxNotOnScreenWithin10s",
                  Fault(Unarmed(19999, Call(Kind::None, 0)), 10000, /*boxShown=*/false), cWait, 0},
        WatchCase{"FaultBoxOnScreen", Fault(Unarmed(600000, Call(Kind::None, 0)), 10000, /*boxShown=*/true), cWait, 0},
        WatchCase{"HandlerFailure10sAfterCloseTimerDue",
                  Fault(Operation(cStarted + 46000, Call(Kind::None, 0)), cStarted + 500, /*boxShown=*/true,
                        cStarted + 36000),
                  cEnd, 0},
        WatchCase{"HandlerFailureBeforeCloseTimerBound",
                  Fault(Operation(cStarted + 45999, Call(Kind::None, 0)), cStarted + 500, /*boxShown=*/true,
                        cStarted + 36000),
                  cWait, 0},
        WatchCase{"FaultOnLibraryThreadWhileCallRuns",
                  Fault(Operation(cStarted + 60000, Call(Kind::Ordinary, cStarted + 100)), cStarted + 200,
                        /*boxShown=*/true),
                  cWait, 0}),
    TParamName());

// Whether an end asked for (the box's answer, a second fault) waits for the
// call that runs.
struct SaveHoldCase {
    const char* name;
    TLibraryCallState call;
    unsigned long long now;
    unsigned long long faultAt;
    bool holds;
};

class SaveHoldsTheEndTest : public testing::TestWithParam<SaveHoldCase> {};

TEST_P(SaveHoldsTheEndTest, OnlyASaveWithin30sOfAFault) {
    EXPECT_EQ(SaveHoldsTheEnd(GetParam().call, GetParam().now, GetParam().faultAt), GetParam().holds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveHoldsTheEndTest,
    testing::Values(SaveHoldCase{"SaveWithoutFault", Call(Kind::Save, 1000), 900000, 0, true},
                    SaveHoldCase{"Save29sAfterFault", Call(Kind::Save, 1000), 31999, 3000, true},
                    SaveHoldCase{"Save30sAfterFault", Call(Kind::Save, 1000), 33000, 3000, false},
                    SaveHoldCase{"OrdinaryCall", Call(Kind::Ordinary, 1000), 2000, 1500, false},
                    SaveHoldCase{"FinishingCall", Call(Kind::Finishing, 1000), 2000, 0, false},
                    SaveHoldCase{"NoCall", Call(Kind::None, 0), 2000, 1500, false}),
    TParamName());

// What the GUI thread's loops dispatch before and after a fault or a give-up.
struct DispatchCase {
    const char* name;
    TDispatchLook look;
    bool allowed;
};

TDispatchLook Message(bool faulted, bool givenUp, bool ownWindow, bool timer = false, bool timerProcedure = false,
                      bool quit = false) {
    TDispatchLook look;
    look.Faulted = faulted;
    look.GivenUp = givenUp;
    look.OwnWindow = ownWindow;
    look.Timer = timer;
    look.TimerProcedure = timerProcedure;
    look.Quit = quit;
    return look;
}

class DispatchAllowedTest : public testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchAllowedTest, LetsThroughWhatMayRun) {
    EXPECT_EQ(DispatchAllowed(GetParam().look), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DispatchAllowedTest,
    testing::Values(
        DispatchCase{"AnythingBefore", Message(false, false, /*ownWindow=*/false, /*timer=*/true, true), true},
        DispatchCase{"OwnWindowAfterFault", Message(true, false, /*ownWindow=*/true), true},
        DispatchCase{"OtherWindowAfterFault", Message(true, false, /*ownWindow=*/false), false},
        // The close timer ends the run of a handler's failure.
        DispatchCase{"CloseTimerTickAfterFault", Message(true, false, /*ownWindow=*/true, /*timer=*/true), true},
        DispatchCase{"TimerProcedureAfterFault",
                     Message(true, false, /*ownWindow=*/true, /*timer=*/true, /*timerProcedure=*/true), false},
        DispatchCase{"QuitAfterFault", Message(true, false, /*ownWindow=*/false, false, false, /*quit=*/true), true},
        // After a give-up nothing of the operation runs: not the close
        // timer's handler either; the own windows still paint and answer.
        DispatchCase{"CloseTimerTickAfterGiveUp", Message(false, true, /*ownWindow=*/true, /*timer=*/true), false},
        DispatchCase{"OwnWindowAfterGiveUp", Message(false, true, /*ownWindow=*/true), true},
        DispatchCase{"OtherWindowAfterGiveUp", Message(false, true, /*ownWindow=*/false), false},
        DispatchCase{"QuitAfterGiveUp", Message(false, true, /*ownWindow=*/false, false, false, /*quit=*/true),
                     true}),
    TParamName());

}  // namespace

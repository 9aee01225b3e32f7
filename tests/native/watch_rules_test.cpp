#include "fault_rules.h"

#include <gtest/gtest.h>

#include "param_name.h"

namespace {

using Kind = TLibraryCallKind;

// Times in ms on one clock; the operation's close timer enabled at 1000 and
// due 36 s later.
const unsigned long long cStarted = 1000;
const unsigned long long cDue = cStarted + 36000;

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
    look.OperationStarted = cStarted;
    look.OperationDue = cDue;
    return look;
}

// A look after a fault at faultTick.
TWatchLook Fault(TWatchLook look, unsigned long long faultTick, bool boxShown, unsigned long long closeTimerDue = 0) {
    look.FaultTick = faultTick;
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
        // The operation's deadline: an ordinary call still running 30 s
        // after the close timer was enabled, however long it has run itself.
        WatchCase{"OrdinaryCallBeforeDeadline", Operation(cStarted + 29999, Call(Kind::Ordinary, cStarted + 100)),
                  cWait, 0},
        WatchCase{"OrdinaryCallAtDeadline", Operation(cStarted + 30000, Call(Kind::Ordinary, cStarted + 100)),
                  cGiveUp, 0},
        WatchCase{"OrdinaryCallStartedJustBeforeDeadline",
                  Operation(cStarted + 30100, Call(Kind::Ordinary, cStarted + 30050)), cGiveUp, 0},
        WatchCase{"NoCallAfterDeadline", Operation(cStarted + 31000, Call(Kind::None, 0)), cWait, 0},
        // Without an armed operation ("/R", "/O", start-up) nothing is bounded.
        WatchCase{"OrdinaryCallWithoutOperation", Unarmed(cStarted + 600000, Call(Kind::Ordinary, cStarted)), cWait,
                  0},
        // A save is never cut: no deadline, no finishing bound, no fault bound.
        WatchCase{"SaveLongAfterDeadline", Operation(cStarted + 120000, Call(Kind::Save, cStarted + 1000)), cWait, 0},
        WatchCase{"SaveAfterFaultWithoutBox",
                  Fault(Operation(cStarted + 60000, Call(Kind::Save, cStarted + 1000)), cStarted + 2000,
                        /*boxShown=*/false),
                  cWait, 0},
        // Work already done: a call finishing it is bounded by 10 s of its own.
        WatchCase{"FinishingCallWithin10s", Operation(cStarted + 40000, Call(Kind::Finishing, cStarted + 30001)),
                  cWait, 0},
        WatchCase{"FinishingCallAfter10s", Operation(cStarted + 40001, Call(Kind::Finishing, cStarted + 30001)), cEnd,
                  0},
        WatchCase{"FinishingCallAfterDeadlineIsNotGivenUp",
                  Operation(cStarted + 35000, Call(Kind::Finishing, cStarted + 31000)), cWait, 0},
        WatchCase{"FinishingCallAtTheEndOfTheRun", Unarmed(50000, Call(Kind::Finishing, 40000)), cEnd, 0},
        // A call given up: the run ends when the close timer is due.
        WatchCase{"GivenUpBeforeCloseTimer",
                  Operation(cDue - 1, Call(Kind::Ordinary, cStarted, /*abandoned=*/true)), cWait, 0},
        WatchCase{"GivenUpAtCloseTimer", Operation(cDue, Call(Kind::Ordinary, cStarted, /*abandoned=*/true)),
                  cEnd, 0},
        // Faults: their report's bounds, and no deadline after them.
        WatchCase{"FaultBoxNotOnScreenAfter10s",
                  Fault(Unarmed(20000, Call(Kind::None, 0)), 10000, /*boxShown=*/false), cEnd, 1},
        WatchCase{"FaultBoxNotOnScreenWithin10s",
                  Fault(Unarmed(19999, Call(Kind::None, 0)), 10000, /*boxShown=*/false), cWait, 0},
        WatchCase{"FaultBoxOnScreen", Fault(Unarmed(600000, Call(Kind::None, 0)), 10000, /*boxShown=*/true), cWait, 0},
        WatchCase{"HandlerFailure10sAfterCloseTimerDue",
                  Fault(Operation(cDue + 10000, Call(Kind::None, 0)), cStarted + 500, /*boxShown=*/true, cDue),
                  cEnd, 0},
        WatchCase{"HandlerFailureBeforeCloseTimerBound",
                  Fault(Operation(cDue + 9999, Call(Kind::None, 0)), cStarted + 500, /*boxShown=*/true, cDue),
                  cWait, 0},
        WatchCase{"FaultOnLibraryThreadWhileCallRuns",
                  Fault(Operation(cStarted + 60000, Call(Kind::Ordinary, cStarted + 100)), cStarted + 200,
                        /*boxShown=*/true),
                  cWait, 0}),
    TParamName());

}  // namespace

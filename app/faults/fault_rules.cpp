#include "fault_rules.h"

namespace {

const unsigned cCrashExitCode = 1;
// The end of a run after a failure shown in a handler, and of a run whose
// work is done.
const unsigned cRegularExitCode = 0;

TWatchDecision End(unsigned exitCode) noexcept { return TWatchDecision{TWatchAction::End, exitCode}; }

bool Reached(unsigned long long now, unsigned long long since, unsigned long long bound) noexcept {
    return now >= since + bound;
}

}  // namespace

TWatchDecision DecideWatch(const TWatchLook& look) noexcept {
    const TLibraryCallState& call = look.Call;
    if (look.GivenUp != 0) {
        if (Reached(look.Now, look.GivenUp, cGiveUpEndDelay)) {
            return End(look.FaultAt != 0 ? cCrashExitCode : cRegularExitCode);
        }
        return TWatchDecision{};
    }
    if (SaveHoldsTheEnd(call, look.Now, look.FaultAt)) return TWatchDecision{};

    if (look.FaultAt != 0) {
        if (!look.BoxShown && Reached(look.Now, look.FaultAt, cReportBoxBound)) return End(cCrashExitCode);
        if (look.FaultCloseTimerDue != 0 && Reached(look.Now, look.FaultCloseTimerDue, cCloseTimerBound)) {
            return End(cRegularExitCode);
        }
        return TWatchDecision{};
    }

    if (call.Abandoned) return TWatchDecision{};
    if (call.Kind == TLibraryCallKind::Ordinary && look.OperationArmed &&
        Reached(look.Now, call.Started, cCallDeadline)) {
        return TWatchDecision{TWatchAction::GiveUpCall, 0};
    }
    if (call.Kind == TLibraryCallKind::Finishing && Reached(look.Now, call.Started, cFinishingBound)) {
        return End(cRegularExitCode);
    }
    return TWatchDecision{};
}

bool SaveHoldsTheEnd(const TLibraryCallState& call, unsigned long long now, unsigned long long faultAt) noexcept {
    if (call.Abandoned || call.Kind != TLibraryCallKind::Save) return false;
    return faultAt == 0 || !Reached(now, faultAt, cSaveAfterFaultBound);
}

bool DispatchAllowed(const TDispatchLook& look) noexcept {
    if (!look.Faulted && !look.GivenUp) return true;
    if (look.Quit) return true;
    if (look.TimerProcedure || (look.Timer && look.GivenUp)) return false;
    return look.OwnWindow;
}

std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept {
    if (highLimit <= lowLimit || highLimit - lowLimit < cSmallestGuaranteedReserve) return 0;
    return cThreadStackGuarantee;
}

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
    if (!call.Abandoned && call.Kind == TLibraryCallKind::Save) return TWatchDecision{};

    if (look.FaultTick != 0) {
        if (!look.BoxShown && Reached(look.Now, look.FaultTick, cReportBoxBound)) return End(cCrashExitCode);
        if (look.FaultCloseTimerDue != 0 && Reached(look.Now, look.FaultCloseTimerDue, cCloseTimerBound)) {
            return End(cRegularExitCode);
        }
        return TWatchDecision{};
    }

    if (call.Abandoned) {
        if (look.OperationDue != 0 && look.Now >= look.OperationDue) return End(cRegularExitCode);
        return TWatchDecision{};
    }
    if (call.Kind == TLibraryCallKind::Ordinary && look.OperationStarted != 0 &&
        Reached(look.Now, look.OperationStarted, cOperationDeadline)) {
        return TWatchDecision{TWatchAction::GiveUpCall, 0};
    }
    if (call.Kind == TLibraryCallKind::Finishing && Reached(look.Now, call.Started, cFinishingBound)) {
        return End(cRegularExitCode);
    }
    return TWatchDecision{};
}

std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept {
    if (highLimit <= lowLimit || highLimit - lowLimit < cSmallestGuaranteedReserve) return 0;
    return cThreadStackGuarantee;
}

// Every thread of the process keeps stack back for the report of its
// overflow, whoever made it, unless its reserve is too small to give it up.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <ostream>

#include "handles.h"
#include "param_name.h"
#include "fault_rules.h"

namespace {

const DWORD cThreadWait = 10000;  // ms for a thread to report

// What a thread reads of itself: its guarantee (SetThreadStackGuarantee
// with 0 gives the current one and changes nothing) and its stack reserve.
struct TThreadProbe {
    ULONG Guarantee = 0xFFFFFFFF;
    std::uintptr_t Reserve = 0;
    TKernelHandle Done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    void Read() {
        ULONG guarantee = 0;
        if (::SetThreadStackGuarantee(&guarantee)) Guarantee = guarantee;
        ULONG_PTR low = 0, high = 0;
        ::GetCurrentThreadStackLimits(&low, &high);
        Reserve = high - low;
        ::SetEvent(Done.Get());
    }
};

DWORD WINAPI ProbeThread(void* probe) {
    static_cast<TThreadProbe*>(probe)->Read();
    return 0;
}
unsigned __stdcall ProbeRuntimeThread(void* probe) {
    static_cast<TThreadProbe*>(probe)->Read();
    return 0;
}
void CALLBACK ProbePoolCallback(PTP_CALLBACK_INSTANCE, void* probe) { static_cast<TThreadProbe*>(probe)->Read(); }
void CALLBACK ProbeTimer(void* probe, BOOLEAN) { static_cast<TThreadProbe*>(probe)->Read(); }

// A thread made by CreateThread with the given stack reserve (0: the
// program's own), waited for.
bool RunOnNewThread(TThreadProbe& probe, SIZE_T reserve) {
    const TKernelHandle thread(::CreateThread(nullptr, reserve, &ProbeThread, &probe,
                                              reserve ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr));
    return thread && ::WaitForSingleObject(thread.Get(), cThreadWait) == WAIT_OBJECT_0;
}

struct ThreadCase {
    const char* name;
    // Runs probe.Read on a thread of the kind; false when that cannot be done.
    std::function<bool(TThreadProbe&)> run;
    bool guaranteed;  // the reserve is large enough to give up the guarantee
};
void PrintTo(const ThreadCase& c, std::ostream* os) { *os << c.name; }

class ThreadStackTest : public testing::TestWithParam<ThreadCase> {};

TEST_P(ThreadStackTest, KeepsStackBackAsItStarts) {
    const ThreadCase& c = GetParam();
    TThreadProbe probe;
    ASSERT_TRUE(probe.Done);
    ASSERT_TRUE(c.run(probe)) << "the thread could not be had";
    ASSERT_EQ(::WaitForSingleObject(probe.Done.Get(), cThreadWait), WAIT_OBJECT_0) << "the thread never ran";
    ASSERT_NE(probe.Guarantee, 0xFFFFFFFFu) << "the guarantee could not be read";
    if (c.guaranteed) {
        EXPECT_GE(probe.Reserve, cSmallestGuaranteedReserve);
        EXPECT_EQ(probe.Guarantee, cThreadStackGuarantee);
    } else {
        // Wine makes every stack at least 1 MiB, whatever the thread asked for.
        if (probe.Reserve >= cSmallestGuaranteedReserve) {
            GTEST_SKIP() << "the platform made the reserve " << probe.Reserve << " bytes";
        }
        EXPECT_EQ(probe.Guarantee, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThreadStackTest,
    testing::Values(
        // The first thread, which the callback sees as the process starts.
        ThreadCase{"FirstThread",
                   [](TThreadProbe& probe) {
                       probe.Read();
                       return true;
                   },
                   true},
        ThreadCase{"CreateThread", [](TThreadProbe& probe) { return RunOnNewThread(probe, 0); }, true},
        ThreadCase{"CRuntimeThread",
                   [](TThreadProbe& probe) {
                       const TKernelHandle thread(reinterpret_cast<HANDLE>(
                           ::_beginthreadex(nullptr, 0, &ProbeRuntimeThread, &probe, 0, nullptr)));
                       return thread && ::WaitForSingleObject(thread.Get(), cThreadWait) == WAIT_OBJECT_0;
                   },
                   true},
        ThreadCase{"ThreadPoolWork",
                   [](TThreadProbe& probe) {
                       return ::TrySubmitThreadpoolCallback(&ProbePoolCallback, &probe, nullptr) != FALSE;
                   },
                   true},
        ThreadCase{"QueuedWorkItem",
                   [](TThreadProbe& probe) {
                       return ::QueueUserWorkItem(&ProbeThread, &probe, WT_EXECUTELONGFUNCTION) != FALSE;
                   },
                   true},
        ThreadCase{"TimerQueueCallback",
                   [](TThreadProbe& probe) {
                       HANDLE timer = nullptr;
                       if (!::CreateTimerQueueTimer(&timer, nullptr, &ProbeTimer, &probe, 0, 0, WT_EXECUTEONLYONCE))
                           return false;
                       const bool ran = ::WaitForSingleObject(probe.Done.Get(), cThreadWait) == WAIT_OBJECT_0;
                       // Waits for the callback to end.
                       ::DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
                       return ran;
                   },
                   true},
        // A thread whose library asked for a small stack keeps all of it
        // (Wine rounds every reserve up to 1 MiB: the edge is a native row).
        ThreadCase{"SmallReserve", [](TThreadProbe& probe) { return RunOnNewThread(probe, 256 * 1024); }, false}),
    TParamName());

}  // namespace

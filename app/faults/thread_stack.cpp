#include "thread_stack.h"

#include <windows.h>

#include "fault_rules.h"

namespace {

void NTAPI OnThreadStart(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_THREAD_ATTACH) KeepOverflowStack();
}

}  // namespace

void KeepOverflowStack() noexcept {
    ULONG_PTR lowLimit = 0;
    ULONG_PTR highLimit = 0;
    ::GetCurrentThreadStackLimits(&lowLimit, &highLimit);
    ULONG guarantee = StackGuaranteeFor(lowLimit, highLimit);
    if (guarantee != 0) static_cast<void>(::SetThreadStackGuarantee(&guarantee));
}

// The callback's entry in the image's list of TLS callbacks, which the loader
// calls for every thread of the process: .CRT$XLA to .CRT$XLZ, in the order of
// the names; B comes before the C runtime's own. Nothing refers to it, so the
// build asks the linker for it by name (app/CMakeLists.txt), and for the TLS
// directory with it.
#if defined(_MSC_VER)
#pragma const_seg(".CRT$XLB")
extern "C" {
extern const PIMAGE_TLS_CALLBACK KestrumThreadStackCallback = &OnThreadStart;
}
#pragma const_seg()
#else
extern "C" {
[[gnu::section(".CRT$XLB"), gnu::used]] PIMAGE_TLS_CALLBACK KestrumThreadStackCallback = &OnThreadStart;
}
#endif

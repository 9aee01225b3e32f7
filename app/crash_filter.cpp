#include "crash_filter.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "application.h"
#include "exception_filter.h"
#include "failure_text.h"
#include "handles.h"
#include "module_path.h"
#include "os_error.h"

namespace {

const UINT cHandlerFaultExitCode = 0;  // the end of a run after a failed handler
const UINT cCrashExitCode = 1;
// Stack kept back on the GUI thread for the dispatch of a stack overflow: the
// system's own steps up to the filter need more than the guard page leaves.
const ULONG cOverflowReserve = 64 * 1024;

TCloseTimerArmed gCloseTimerArmed = nullptr;

// The thread of the first fault; 0 before it.
std::atomic<DWORD> gFaultingThread{0};

// A stack overflow handed to the reporting thread: the event that wakes it
// (made at start, kept for the life of the process) and the faulting address.
HANDLE gOverflowEvent = nullptr;
std::atomic<void*> gOverflowAddress{nullptr};

// The path of the module that holds address; empty when none does.
std::wstring ModulePathAt(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module)) {
        return std::wstring();
    }
    return ModuleFilePath(module);
}

// Ends the process at once: neither the finalisation of the program nor the
// detach code of a library runs after a fault.
[[noreturn]] void EndProcess(UINT exitCode) {
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    // Ending the own process does not come back; should it, nothing may run on.
    for (;;) ::Sleep(INFINITE);
}

[[noreturn]] void ShowCrashAndEnd(DWORD code, void* address) {
    const TFailureText text = DescribeStructuredException(code);
    ShowApplicationError(text.ClassName, FaultModuleName(ModulePathAt(address)),
                         reinterpret_cast<std::uintptr_t>(address), text.Message);
    EndProcess(cCrashExitCode);
}

// The failure of the handler that runs on this thread: its box, then the run
// goes on as after any failed handler, on top of the faulted stack.
[[noreturn]] void ReportHandlerFault(DWORD code, void* address) {
    Application->ShowErrorBox(HandlerFaultMessage(code, reinterpret_cast<std::uintptr_t>(address),
                                                  FaultModuleName(ModulePathAt(address))));
    // The close timer keeps running while the box is up: its quit message
    // ends the box, and the loop below then ends at once.
    if (gCloseTimerArmed && gCloseTimerArmed()) Application->RunMessageLoop();
    EndProcess(cHandlerFaultExitCode);
}

DWORD WINAPI ReportStackOverflow(void*) {
    if (::WaitForSingleObject(gOverflowEvent, INFINITE) != WAIT_OBJECT_0) return 0;
    ShowCrashAndEnd(EXCEPTION_STACK_OVERFLOW, gOverflowAddress);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    DWORD firstThread = 0;
    if (!gFaultingThread.compare_exchange_strong(firstThread, ::GetCurrentThreadId())) EndProcess(cCrashExitCode);
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        // Only the smallest steps here: the rest of this stack is all there is.
        gOverflowAddress = record.ExceptionAddress;
        if (!::SetEvent(gOverflowEvent)) EndProcess(cCrashExitCode);
        for (;;) ::Sleep(INFINITE);
    }
    if (Application && THandlerMark::Inside()) ReportHandlerFault(record.ExceptionCode, record.ExceptionAddress);
    ShowCrashAndEnd(record.ExceptionCode, record.ExceptionAddress);
}

}  // namespace

void InstallCrashFilter(TCloseTimerArmed timerArmed) {
    gCloseTimerArmed = timerArmed;
    ULONG reserve = cOverflowReserve;
    if (!::SetThreadStackGuarantee(&reserve)) RaiseLastOSError();
    TKernelHandle overflowEvent(::CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr));
    if (!overflowEvent) RaiseLastOSError();
    gOverflowEvent = overflowEvent.Release();  // waited on for the life of the process
    const TKernelHandle reporter(::CreateThread(nullptr, 0, &ReportStackOverflow, nullptr, 0, nullptr));
    if (!reporter) RaiseLastOSError();
    SetProgramExceptionFilter(&CrashFilter);
}

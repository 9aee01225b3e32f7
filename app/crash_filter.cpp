#include "crash_filter.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "application.h"
#include "failure_text.h"
#include "module_path.h"

namespace {

const UINT cCrashExitCode = 1;

// The thread that shows the box; 0 before the first fault.
std::atomic<DWORD> gFaultingThread{0};

// The path of the module that holds address; empty when none does.
std::wstring ModulePathAt(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module)) {
        return std::wstring();
    }
    return ModuleFilePath(module);
}

[[noreturn]] void EndProcess() {
    ::TerminateProcess(::GetCurrentProcess(), cCrashExitCode);
    // Ending the own process does not come back; should it, nothing may run on.
    for (;;) ::Sleep(INFINITE);
}

LONG WINAPI ShowCrashAndEnd(EXCEPTION_POINTERS* pointers) {
    const DWORD thread = ::GetCurrentThreadId();
    DWORD firstThread = 0;
    if (!gFaultingThread.compare_exchange_strong(firstThread, thread)) {
        // A second fault: on the thread that shows the box (inside the box, or
        // while it is being made) it ends the process at once; on another
        // thread it waits for the box, after which the process ends.
        if (firstThread == thread) EndProcess();
        for (;;) ::Sleep(INFINITE);
    }
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const TFailureText text = DescribeStructuredException(record.ExceptionCode);
    ShowApplicationError(text.ClassName, FaultModuleName(ModulePathAt(record.ExceptionAddress)),
                         reinterpret_cast<std::uintptr_t>(record.ExceptionAddress), text.Message);
    EndProcess();
}

}  // namespace

void InstallCrashFilter() { ::SetUnhandledExceptionFilter(&ShowCrashAndEnd); }

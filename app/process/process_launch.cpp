// Starting a program as a new process, with optional waits for it.
#include "process_launch.h"

#include "handles.h"
#include "process_command_line.h"

namespace {
// A program that never becomes ready for input must not keep this one (and its
// topmost status window) waiting for good.
const DWORD cInputIdleTimeout = 30000;  // ms

// What wakes the wait for termination: keys, mouse moves and buttons, posted
// messages, timers, paint requests, sent messages, hot keys and raw input.
// Spelled out because QS_ALLINPUT grows with the headers' Windows version
// (touch and pointer input from Windows 8 on).
constexpr DWORD cWaitWakeMask = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
                                QS_SENDMESSAGE | QS_HOTKEY | QS_RAWINPUT;
static_assert(cWaitWakeMask == 0x4FF);
}  // namespace

bool ExecuteProcess(const std::wstring& FileName, const std::wstring& Params, const std::wstring& Folder,
                    bool WaitUntilTerminated, bool WaitUntilIdle, bool RunMinimized, DWORD& ErrorCode,
                    const TMessagePump& ProcessMessages) {
    // CreateProcessW may write into the command line: it gets a buffer of its own.
    std::wstring CmdLine = ProcessCommandLine(FileName, Params);
    const std::wstring WorkingDir = ProcessWorkingFolder(FileName, Folder);
    const wchar_t* const WorkingDirP = WorkingDir.empty() ? nullptr : WorkingDir.c_str();

    STARTUPINFOW StartupInfo = {};
    StartupInfo.cb = sizeof(StartupInfo);
    if (RunMinimized) {
        StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        StartupInfo.wShowWindow = SW_SHOWMINIMIZED;
    }
    PROCESS_INFORMATION ProcessInfo = {};
    if (!::CreateProcessW(nullptr, CmdLine.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE, 0, nullptr,
                          WorkingDirP, &StartupInfo, &ProcessInfo)) {
        ErrorCode = ::GetLastError();
        return false;
    }
    const TKernelHandle process(ProcessInfo.hProcess);
    TKernelHandle thread(ProcessInfo.hThread);
    thread.Reset();  // not needed: closed at once

    // The outcome is of no interest: no message queue, ended, failed or timed out.
    if (WaitUntilIdle) ::WaitForInputIdle(process.Get(), cInputIdleTimeout);

    if (WaitUntilTerminated) {
        // Messages already queued are handled before the first wait. A quit
        // message taken here marks the application as ending, and the wait goes
        // on until the process has ended (or the wait fails).
        const HANDLE handles[1] = {process.Get()};
        do {
            if (ProcessMessages) ProcessMessages();
        } while (::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, cWaitWakeMask) == WAIT_OBJECT_0 + 1);
    }
    return true;
}

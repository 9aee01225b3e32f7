// Looks at the windows of other programs, for the tests.
//   winprobe list                      top-level windows in Z-order
//   winprobe texts HWND                child windows of HWND with their texts
//   winprobe dialog [--wait S] [--press]
//                                      the first visible dialog box: caption,
//                                      children; --press clicks its first button
//   winprobe kill HWND                 ends the process that owns HWND
//   winprobe watch [--timeout S] -- PROGRAM [ARGUMENTS...]
//                                      starts PROGRAM and watches its
//                                      top-level windows until it ends: one
//                                      line "window HWND CLASS SHOWN" for each
//                                      (SHOWN 1 when it was ever visible), then
//                                      "exit CODE", or "running" when it had
//                                      not ended after S seconds (default 60)
// Lines are tab-separated UTF-8; CR, LF, TAB and backslash in texts are
// written as \r, \n, \t and \\. Exit code 1 when nothing was found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            case L'\t': out += L"\\t"; break;
            case L'\\': out += L"\\\\"; break;
            default: out += c;
        }
    }
    return Utf8(out);
}

// The window's own text, read without sending it a message.
std::wstring Text(HWND window) {
    wchar_t buffer[4096] = {};
    const int length = InternalGetWindowText(window, buffer, 4096);
    return std::wstring(buffer, length > 0 ? length : 0);
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, length > 0 ? length : 0);
}

void PrintWindow(HWND window, bool withId) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("%p\t", static_cast<void*>(window));
    if (withId) std::printf("%ld\t", static_cast<long>(GetDlgCtrlID(window)));
    std::printf("%s\t%s\t%ld,%ld,%ld,%ld\t%08lx\t%08lx\t%d\t%lu\n", Escaped(Text(window)).c_str(),
                Escaped(ClassOf(window)).c_str(), rect.left, rect.top, rect.right, rect.bottom,
                static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongPtrW(window, GWL_EXSTYLE)), IsWindowVisible(window) ? 1 : 0,
                static_cast<unsigned long>(pid));
}

int List() {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) PrintWindow(w, false);
    return 0;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    PrintWindow(child, true);
    return TRUE;
}

int Texts(HWND parent) {
    if (!IsWindow(parent)) return 1;
    EnumChildWindows(parent, PrintChild, 0);
    return 0;
}

HWND FindDialog() {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (IsWindowVisible(w) && ClassOf(w) == L"#32770") return w;
    return nullptr;
}

BOOL CALLBACK FirstButton(HWND child, LPARAM param) {
    if (ClassOf(child) == L"Button" && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

int Dialog(double waitSeconds, bool press) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitSeconds * 1000);
    HWND dialog = FindDialog();
    while (!dialog && GetTickCount64() < deadline) {
        Sleep(100);
        dialog = FindDialog();
    }
    if (!dialog) return 1;
    PrintWindow(dialog, false);
    EnumChildWindows(dialog, PrintChild, 0);
    std::fflush(stdout);
    if (press) {
        HWND button = nullptr;
        EnumChildWindows(dialog, FirstButton, reinterpret_cast<LPARAM>(&button));
        if (!button) return 1;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    return 0;
}

int Kill(HWND window) {
    DWORD pid = 0;
    if (!IsWindow(window) || !GetWindowThreadProcessId(window, &pid)) return 1;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return 1;
    const BOOL ended = TerminateProcess(process, 99) && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended ? 0 : 1;
}

// --- watch: every top-level window a program makes, and whether it was ever
// on screen. Two sources, so that a window visible only for a moment is not
// missed: the list of windows, polled without pause, and the platform's
// window events (creation and showing) for the program's process, which
// arrive after the fact, possibly when the window is gone again.

struct TWatchedWindow {
    std::wstring Class;
    bool TopLevel = false;  // known once the window was seen alive
    bool Shown = false;
};
std::map<HWND, TWatchedWindow> gWatched;
DWORD gWatchedProcess = 0;

void NoteWindow(HWND window, bool showEvent) {
    TWatchedWindow& entry = gWatched[window];
    if (showEvent) entry.Shown = true;
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid) || pid != gWatchedProcess) return;  // gone (or reused)
    if (entry.Class.empty()) {
        entry.Class = ClassOf(window);
        entry.TopLevel = GetAncestor(window, GA_PARENT) == GetDesktopWindow();
    }
    if (IsWindowVisible(window)) entry.Shown = true;
}

void CALLBACK WindowEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window && object == OBJID_WINDOW && child == CHILDID_SELF) NoteWindow(window, event == EVENT_OBJECT_SHOW);
}

BOOL CALLBACK PollWindow(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == gWatchedProcess) NoteWindow(window, false);
    return TRUE;
}

// One argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

int Watch(double timeoutSeconds, const std::vector<std::wstring>& command) {
    if (command.empty()) return 2;
    std::wstring commandLine;
    for (const std::wstring& argument : command) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(argument);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Suspended until the window events of its process are asked for.
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "winprobe: cannot start, error %lu\n", GetLastError());
        return 1;
    }
    gWatchedProcess = process.dwProcessId;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, WindowEvent,
                                               process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds * 1000);
    bool ended = false;
    while (!ended && GetTickCount64() < deadline) {
        EnumWindows(PollWindow, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);  // delivers the events
        ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    }
    // Events still on their way once the process has ended.
    const ULONGLONG settle = GetTickCount64() + 500;
    while (GetTickCount64() < settle) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    if (hook) UnhookWinEvent(hook);

    for (const auto& [window, entry] : gWatched) {
        if (!entry.TopLevel) continue;
        std::printf("window\t%p\t%s\t%d\n", static_cast<void*>(window), Escaped(entry.Class).c_str(),
                    entry.Shown ? 1 : 0);
    }
    // Shown by an event only, after the window was gone: class and kind unknown.
    for (const auto& [window, entry] : gWatched) {
        if (entry.Class.empty() && entry.Shown) std::printf("window\t%p\t?\t1\n", static_cast<void*>(window));
    }
    DWORD code = 0;
    if (ended && GetExitCodeProcess(process.hProcess, &code)) {
        std::printf("exit\t%lu\n", static_cast<unsigned long>(code));
    } else {
        std::printf("running\n");
    }
    CloseHandle(process.hProcess);
    return 0;
}

HWND ParseWindow(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(text, nullptr, 16)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int rc = 2;
    if (command == L"list") {
        rc = List();
    } else if (command == L"texts" && argc > 2) {
        rc = Texts(ParseWindow(argv[2]));
    } else if (command == L"kill" && argc > 2) {
        rc = Kill(ParseWindow(argv[2]));
    } else if (command == L"dialog") {
        double wait = 0;
        bool press = false;
        for (int i = 2; i < argc; ++i) {
            const std::wstring arg = argv[i];
            if (arg == L"--wait" && i + 1 < argc) wait = _wtof(argv[++i]);
            else if (arg == L"--press") press = true;
        }
        rc = Dialog(wait, press);
    } else if (command == L"watch") {
        double timeout = 60;
        int i = 2;
        for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
            if (std::wstring(argv[i]) == L"--timeout" && i + 1 < argc) timeout = _wtof(argv[++i]);
        }
        rc = Watch(timeout, std::vector<std::wstring>(argv + (i < argc ? i + 1 : argc), argv + argc));
    } else {
        std::fprintf(stderr,
                     "usage: winprobe list | texts HWND | dialog [--wait S] [--press] | kill HWND"
                     " | watch [--timeout S] -- PROGRAM [ARGUMENTS...]\n");
    }
    std::fflush(stdout);
    return rc;
}

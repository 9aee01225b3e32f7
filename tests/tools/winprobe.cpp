// Looks at the windows of other programs, for the tests.
//   winprobe list                      top-level windows in Z-order
//   winprobe texts HWND                child windows of HWND with their texts
//   winprobe dialog [--wait S] [--press]
//                                      the first visible dialog box: caption,
//                                      children; --press clicks its first button
//   winprobe kill HWND                 ends the process that owns HWND
// Lines are tab-separated UTF-8; CR, LF, TAB and backslash in texts are
// written as \r, \n, \t and \\. Exit code 1 when nothing was found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "errors.h"

namespace {

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
    return Utf8Text(out);
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
    } else {
        std::fprintf(stderr,
                     "usage: winprobe list | texts HWND | dialog [--wait S] [--press] | kill HWND\n");
    }
    std::fflush(stdout);
    return rc;
}

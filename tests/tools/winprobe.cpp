// Looks at the windows of other programs, for the tests.
//   winprobe list                      top-level windows in Z-order
//   winprobe texts HWND                child windows of HWND with their texts
//   winprobe dialog [--wait S] [--press] [--pid P] [--caption TEXT]
//                                      the first visible dialog box (of process
//                                      P, with caption TEXT, when given):
//                                      caption, children; --press clicks its
//                                      first button
//   winprobe owner HWND                the window that owns HWND (GW_OWNER)
//   winprobe lasting CLASS TEXT [--wait S]
//                                      waits up to S seconds for a visible
//                                      top-level window of CLASS with a child
//                                      showing TEXT and prints that child;
//                                      then waits for the window's process to
//                                      end and prints "ended" and the
//                                      milliseconds from the text to the end
//   winprobe kill HWND                 ends the process that owns HWND
// Lines are tab-separated UTF-8; CR, LF, TAB and backslash in texts are
// written as \r, \n, \t and \\. Exit code 1 when nothing was found.
// TEXT is given in the same form; \uXXXX stands for any character, so that
// the command line needs nothing but ASCII. "lasting" writes "ready" first,
// before it looks: a program started after that line cannot show its text
// unseen.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "errors.h"
#include "handles.h"

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

// The text in the form Escaped writes, with \uXXXX for any character.
std::wstring Unescaped(const std::wstring& text) {
    std::wstring out;
    for (std::size_t position = 0; position < text.size(); ++position) {
        const wchar_t character = text[position];
        if (character != L'\\' || position + 1 == text.size()) {
            out += character;
            continue;
        }
        const wchar_t escape = text[++position];
        if (escape == L'u' && position + 4 < text.size()) {
            out += static_cast<wchar_t>(std::wcstoul(text.substr(position + 1, 4).c_str(), nullptr, 16));
            position += 4;
        } else if (escape == L'r') {
            out += L'\r';
        } else if (escape == L'n') {
            out += L'\n';
        } else if (escape == L't') {
            out += L'\t';
        } else {
            out += escape;
        }
    }
    return out;
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

// What a dialog box is looked for by: its process and caption, when given.
struct TDialogFilter {
    DWORD Pid = 0;
    bool ByCaption = false;
    std::wstring Caption;
};

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The first visible dialog box that the filter lets through.
HWND FindDialog(const TDialogFilter& filter) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w) || ClassOf(w) != L"#32770") continue;
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (filter.Pid != 0 && owner != filter.Pid) continue;
        if (filter.ByCaption && TextOf(w) != filter.Caption) continue;
        return w;
    }
    return nullptr;
}

BOOL CALLBACK FirstButton(HWND child, LPARAM param) {
    if (ClassOf(child) == L"Button" && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

int Dialog(double waitSeconds, bool press, const TDialogFilter& filter) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitSeconds * 1000);
    HWND dialog = FindDialog(filter);
    while (!dialog && GetTickCount64() < deadline) {
        Sleep(100);
        dialog = FindDialog(filter);
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

int Owner(HWND window) {
    if (!IsWindow(window)) return 1;
    const HWND owner = GetWindow(window, GW_OWNER);
    if (!owner) return 1;
    PrintWindow(owner, false);
    return 0;
}

struct TTextSearch {
    std::wstring Text;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchingChild(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TTextSearch*>(param);
    if (Text(child) != search->Text) return TRUE;
    search->Found = child;
    return FALSE;
}

// The first child of a visible top-level window of the class that shows the text.
HWND ChildShowing(const std::wstring& windowClass, const std::wstring& text) {
    TTextSearch search{text};
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window) || ClassOf(window) != windowClass) continue;
        EnumChildWindows(window, MatchingChild, reinterpret_cast<LPARAM>(&search));
        if (search.Found) return search.Found;
    }
    return nullptr;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int Lasting(const std::wstring& windowClass, const std::wstring& text, double waitSeconds) {
    // Looked for every few milliseconds, so that the time counts from when
    // the text came, not from when a slower look found it.
    const DWORD cPollInterval = 5;     // ms
    const DWORD cEndTimeout = 120000;  // ms the process may still run
    std::printf("ready\n");
    std::fflush(stdout);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitSeconds * 1000);
    HWND child = ChildShowing(windowClass, text);
    while (!child && GetTickCount64() < deadline) {
        Sleep(cPollInterval);
        child = ChildShowing(windowClass, text);
    }
    LARGE_INTEGER shown = {};
    QueryPerformanceCounter(&shown);
    if (!child) return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(child, &processId);
    const TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return 1;
    PrintWindow(child, true);
    std::fflush(stdout);
    if (WaitForSingleObject(process.Get(), cEndTimeout) != WAIT_OBJECT_0) return 1;
    LARGE_INTEGER ended = {};
    QueryPerformanceCounter(&ended);
    std::printf("ended\t%.0f\n", Milliseconds(shown, ended));
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
    } else if (command == L"owner" && argc > 2) {
        rc = Owner(ParseWindow(argv[2]));
    } else if (command == L"lasting" && argc > 3) {
        double wait = 0;
        if (argc > 5 && std::wstring(argv[4]) == L"--wait") wait = _wtof(argv[5]);
        rc = Lasting(argv[2], Unescaped(argv[3]), wait);
    } else if (command == L"kill" && argc > 2) {
        rc = Kill(ParseWindow(argv[2]));
    } else if (command == L"dialog") {
        double wait = 0;
        bool press = false;
        TDialogFilter filter;
        for (int i = 2; i < argc; ++i) {
            const std::wstring arg = argv[i];
            if (arg == L"--wait" && i + 1 < argc) {
                wait = _wtof(argv[++i]);
            } else if (arg == L"--press") {
                press = true;
            } else if (arg == L"--pid" && i + 1 < argc) {
                filter.Pid = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
            } else if (arg == L"--caption" && i + 1 < argc) {
                filter.ByCaption = true;
                filter.Caption = Unescaped(argv[++i]);
            }
        }
        rc = Dialog(wait, press, filter);
    } else {
        std::fprintf(stderr,
                     "usage: winprobe list | texts HWND"
                     " | dialog [--wait S] [--press] [--pid P] [--caption TEXT] | owner HWND"
                     " | lasting CLASS TEXT [--wait S] | kill HWND\n");
    }
    std::fflush(stdout);
    return rc;
}

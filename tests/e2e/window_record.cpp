// The program as it is (its own operations, form and run), with a record of
// its status window: bin/record/KestrumHelper.exe. Hooks on the program's
// thread see every window it makes and every request to show one, however
// briefly the window lives. When the program ends, the file named by
// KESTRUM_WINDOW_RECORD gets one line per status window:
//   form created
//   form shown        (it was asked onto the screen at least once)
// and a last line "exit CODE".
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "MainDlg.h"

namespace {

const wchar_t* const cRecordVariable = L"KESTRUM_WINDOW_RECORD";
const wchar_t* const cFormClass = L"TfrmMain";

std::map<HWND, bool> gForms;  // each status window: was it shown
HHOOK gCbtHook = nullptr;
HHOOK gCallHook = nullptr;

bool IsForm(HWND window) {
    wchar_t className[64] = {};
    return ::GetClassNameW(window, className, 64) > 0 && std::wstring(className) == cFormClass;
}

void NoteShown(HWND window) {
    const auto form = gForms.find(window);
    if (form != gForms.end()) form->second = true;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (IsForm(window)) gForms[window] = (create->style & WS_VISIBLE) != 0;
    } else if (code == HCBT_DESTROYWND) {
        if (::IsWindowVisible(window)) NoteShown(window);
    }
    return ::CallNextHookEx(gCbtHook, code, wParam, lParam);
}

LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (call->message == WM_SHOWWINDOW && call->wParam) NoteShown(call->hwnd);
        if (call->message == WM_WINDOWPOSCHANGING &&
            (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW))
            NoteShown(call->hwnd);
    }
    return ::CallNextHookEx(gCallHook, code, wParam, lParam);
}

void WriteRecord(int exitCode) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(cRecordVariable, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return;
    FILE* file = _wfopen(path, L"w");
    if (!file) return;
    for (const auto& [window, shown] : gForms) std::fprintf(file, shown ? "form shown\n" : "form created\n");
    std::fprintf(file, "exit %d\n", exitCode);
    std::fclose(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const DWORD thread = ::GetCurrentThreadId();
    gCbtHook = ::SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, thread);
    gCallHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CallHook, nullptr, thread);
    const int exitCode = (gCbtHook && gCallHook) ? RunProgram(ProgramOperations()) : 2;
    if (gCallHook) ::UnhookWindowsHookEx(gCallHook);
    if (gCbtHook) ::UnhookWindowsHookEx(gCbtHook);
    WriteRecord(exitCode);
    return exitCode;
}

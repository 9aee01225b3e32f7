// Windowed test program: waits KESTRUM_ARGDUMP_STARTUP_MS before it makes its
// window (not ready for input meanwhile), shows the window as it was asked to,
// writes what it saw of its start (argdump_report.h) to the file named by
// KESTRUM_ARGDUMP_OUT and then handles messages for KESTRUM_ARGDUMP_WAIT_MS
// before it marks its end and ends.
// With KESTRUM_ARGDUMP_HANG_MS it never becomes ready for input: after the
// dump it sleeps that long without looking at its messages, then ends.
#include <windows.h>

#include "argdump_report.h"

namespace {

const UINT_PTR cEndTimer = 1;

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == cEndTimer) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring path = DumpPathFromEnvironment();
    Sleep(MillisecondsFromEnvironment(L"KESTRUM_ARGDUMP_STARTUP_MS"));

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"KestrumArgDumpWindow";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"argdump", WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 4;
    ShowWindow(window, showCommand);
    if (!WriteArgDump(path, window)) return 3;

    if (const DWORD hang = MillisecondsFromEnvironment(L"KESTRUM_ARGDUMP_HANG_MS")) {
        Sleep(hang);
        WriteEndMark(path);
        return 0;
    }

    const DWORD wait = MillisecondsFromEnvironment(L"KESTRUM_ARGDUMP_WAIT_MS");
    SetTimer(window, cEndTimer, wait > USER_TIMER_MINIMUM ? wait : USER_TIMER_MINIMUM, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    WriteEndMark(path);
    return 0;
}

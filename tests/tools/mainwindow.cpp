// Stand-in for the main product's window: a top-level window with the given
// title and rectangle, optionally hidden, that stays until it is killed.
//   mainwindow --title TEXT --rect LEFT TOP WIDTH HEIGHT [--hidden]
// Prints "ready <hwnd>" once the window exists.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;  // only killing ends the stand-in
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring title = L"Projekt - KesTrum 2024";
    int left = 100, top = 100, width = 800, height = 600;
    bool hidden = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--title" && i + 1 < argc) {
            title = argv[++i];
        } else if (arg == L"--rect" && i + 4 < argc) {
            left = _wtoi(argv[++i]);
            top = _wtoi(argv[++i]);
            width = _wtoi(argv[++i]);
            height = _wtoi(argv[++i]);
        } else if (arg == L"--hidden") {
            hidden = true;
        } else {
            std::fprintf(stderr, "usage: mainwindow --title TEXT --rect L T W H [--hidden]\n");
            return 2;
        }
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"KestrumMainWindowStandIn";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, left, top, width, height,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) {
        std::fprintf(stderr, "mainwindow: CreateWindowEx failed (%lu)\n", GetLastError());
        return 1;
    }
    if (!hidden) ShowWindow(window, SW_SHOWNOACTIVATE);
    // Placed exactly as asked, whatever the window manager did.
    SetWindowPos(window, HWND_TOP, left, top, width, height, SWP_NOACTIVATE);
    std::printf("ready %p\n", static_cast<void*>(window));
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The least a GUI program does: register a window class, create one window,
// destroy it and end. The start-up benchmark compares the helper with it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"MinimalGui";
    if (!RegisterClassExW(&wc)) return 1;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, 0, 0, 300, 70, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    DestroyWindow(window);
    return 0;
}

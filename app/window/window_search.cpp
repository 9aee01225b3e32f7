// Finding the main product's window and placing the status window over it.
#include <string_view>

#include "placement.h"
#include "status_window.h"

namespace {
const wchar_t* const cMainProductTitleWord = L"KesTrum";
const int cTitleBufferSize = 255;  // characters, terminator included
}  // namespace

HWND FindWindowByTitle(const std::wstring& title) {
    // The topmost windows come first in this order; hidden and minimised
    // windows are not skipped.
    HWND window = ::GetTopWindow(nullptr);
    while (window) {
        wchar_t windowTitle[cTitleBufferSize] = {};
        const int length = ::GetWindowTextW(window, windowTitle, cTitleBufferSize);
        if (std::wstring_view(windowTitle, length > 0 ? length : 0).find(title) != std::wstring_view::npos)
            return window;
        window = ::GetWindow(window, GW_HWNDNEXT);
    }
    return nullptr;
}

void TStatusWindow::Place() {
    RECT rect = {};
    const HWND mainProduct = FindWindowByTitle(cMainProductTitleWord);
    if (!mainProduct || !::GetWindowRect(mainProduct, &rect)) {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        const HMONITOR monitor = ::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST);
        if (::GetMonitorInfoW(monitor, &info))
            rect = info.rcWork;
        else
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
    }
    const TPointI origin = PlacementOrigin(TRectI{rect.left, rect.top, rect.right, rect.bottom});
    ::SetWindowPos(Handle(), nullptr, origin.X, origin.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The form was sized for the DPI of the monitor it was made on. Moved onto
    // a monitor with another DPI, it is sized for that one at the same origin.
    const TRescale rescale = RescaleAfterPlacement(origin, fDpi, ::GetDpiForWindow(Handle()));
    if (rescale.Needed) ApplyDpi(rescale.Dpi);
    // A DPI change on the way (WM_DPICHANGED) may have moved the window to the
    // platform's suggestion; the computed origin stands.
    const TRectI& bounds = rescale.Bounds;
    ::SetWindowPos(Handle(), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

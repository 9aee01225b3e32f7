#include "status_window.h"

#include "os_error.h"
#include "placement.h"
#include "window_class.h"

namespace {

const wchar_t* const cFormClass = L"TfrmMain";
const wchar_t* const cPanelClass = L"TPanel";
const wchar_t* const cLabelClass = L"TLabel";
const wchar_t* const cFormCaption = L"Kestrum";

// Design sizes in pixels at 96 DPI (the form's own size: FormSizeForDpi).
const int cLabelInset = 2;       // the panel's two 1-pixel bevels
const int cPanelFontHeight = 16;  // Tahoma bold, 12 points at 96 DPI
const wchar_t* const cPanelFontFace = L"Tahoma";

int Scale(int value, UINT dpi) { return static_cast<int>(ScaleForDpi(value, dpi)); }

TStatusWindow* WindowObjectOf(HWND window) {
    return reinterpret_cast<TStatusWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Stores the object pointer handed over at creation on each of its windows.
void AttachObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
}

// One of the window's classes: arrow cursor, button-face background.
void RegisterStatusClass(const wchar_t* name, WNDPROC proc, HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    RegisterWindowClass(wc);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

}  // namespace

TStatusWindow::TStatusWindow(THandlers handlers) : fHandlers(std::move(handlers)) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterStatusClass(cFormClass, &TStatusWindow::FormWndProc, instance);
    RegisterStatusClass(cPanelClass, &TStatusWindow::PanelWndProc, instance);
    RegisterStatusClass(cLabelClass, &TStatusWindow::LabelWndProc, instance);

    // No border and no title bar, above all non-topmost windows, on the task
    // bar; at (0, 0) until it is placed.
    const TSizeI design = FormSizeForDpi(USER_DEFAULT_SCREEN_DPI);
    const int designWidth = static_cast<int>(design.Width);
    const int designHeight = static_cast<int>(design.Height);
    fHandle.Reset(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_APPWINDOW, cFormClass, cFormCaption,
                                    WS_POPUP | WS_CLIPCHILDREN, 0, 0, designWidth, designHeight, nullptr, nullptr,
                                    instance, this));
    if (!fHandle) RaiseLastOSError();
    fClientPanel = ::CreateWindowExW(0, cPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, designWidth,
                                    designHeight, Handle(), nullptr, instance, this);
    if (!fClientPanel) RaiseLastOSError();
    fStatusLabel = ::CreateWindowExW(0, cLabelClass, L"", WS_CHILD | WS_VISIBLE, cLabelInset, cLabelInset,
                                 designWidth - 2 * cLabelInset, designHeight - 2 * cLabelInset, fClientPanel,
                                 nullptr, instance, this);
    if (!fStatusLabel) RaiseLastOSError();
    const UINT dpi = ::GetDpiForWindow(Handle());
    ApplyDpi(dpi ? dpi : USER_DEFAULT_SCREEN_DPI);
}

void TStatusWindow::ApplyDpi(UINT dpi) {
    fDpi = dpi;
    const TSizeI size = FormSizeForDpi(dpi);
    const int width = static_cast<int>(size.Width);
    const int height = static_cast<int>(size.Height);
    const int inset = Scale(cLabelInset, dpi);
    ::SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(fClientPanel, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(fStatusLabel, nullptr, inset, inset, width - 2 * inset, height - 2 * inset,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT TStatusWindow::PanelFont() {
    if (!fPanelFont || fPanelFontDpi != fDpi) {
        LOGFONTW font = {};
        font.lfHeight = -Scale(cPanelFontHeight, fDpi);
        font.lfWeight = FW_BOLD;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH;
        wcscpy_s(font.lfFaceName, LF_FACESIZE, cPanelFontFace);
        fPanelFont.Reset(::CreateFontIndirectW(&font));
        fPanelFontDpi = fDpi;
    }
    return fPanelFont.Get();
}

void TStatusWindow::ShowOnScreen() {
    if (!::IsWindowVisible(Handle())) {
        ::ShowWindow(Handle(), SW_SHOWNORMAL);
        ::UpdateWindow(Handle());
    }
}

void TStatusWindow::ShowStatusText(const std::wstring& text) {
    ::SetWindowTextW(fStatusLabel, text.c_str());
    if (!::IsWindowVisible(Handle())) ::ShowWindow(Handle(), SW_SHOWNORMAL);
    // Painted now: the work that follows blocks this thread's painting.
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::GdiFlush();
}

LRESULT TStatusWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (fHandlers.OnTimer && fHandlers.OnTimer(wParam)) return 0;
            break;
        case WM_CLOSE:
            if (fHandlers.OnClose) fHandlers.OnClose();
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyDpi(HIWORD(wParam));
            ::InvalidateRect(Handle(), nullptr, /*bErase=*/TRUE);
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK TStatusWindow::FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    AttachObject(window, message, lParam);
    TStatusWindow* statusWindow = WindowObjectOf(window);
    if (statusWindow && statusWindow->Handle() == window) return statusWindow->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TStatusWindow::FontOf(HWND window) {
    TStatusWindow* statusWindow = WindowObjectOf(window);
    return statusWindow ? reinterpret_cast<LRESULT>(statusWindow->PanelFont()) : 0;
}

LRESULT CALLBACK TStatusWindow::PanelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    AttachObject(window, message, lParam);
    if (message == WM_GETFONT) return FontOf(window);
    if (message == WM_PAINT) {
        const TPaint paint(window);
        RECT rect;
        ::GetClientRect(window, &rect);
        // Double bevel: outer lowered, inner raised, one pixel each.
        ::DrawEdge(paint.Get(), &rect, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK TStatusWindow::LabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    AttachObject(window, message, lParam);
    switch (message) {
        case WM_PAINT: {
            TStatusWindow* statusWindow = WindowObjectOf(window);
            const TPaint paint(window);
            const HDC dc = paint.Get();
            RECT client;
            ::GetClientRect(window, &client);
            ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
            const std::wstring text = WindowText(window);
            if (!text.empty() && statusWindow) {
                const TObjectSelection font(dc, statusWindow->PanelFont());
                ::SetBkMode(dc, TRANSPARENT);
                ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
                // Centred both ways; a carriage return starts a second line.
                const UINT format = DT_CENTER | DT_NOPREFIX | DT_EXPANDTABS;
                RECT measured = client;
                ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
                const int textHeight = measured.bottom - measured.top;
                RECT target = client;
                target.top = client.top + (client.bottom - client.top - textHeight) / 2;
                target.bottom = target.top + textHeight;
                ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &target, format);
            }
            return 0;
        }
        case WM_SETTEXT: {
            const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
            ::InvalidateRect(window, nullptr, /*bErase=*/FALSE);
            return result;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint fills the whole label
        case WM_GETFONT:
            return FontOf(window);
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

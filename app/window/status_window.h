#pragma once
// The status window: a borderless, topmost window holding a bevelled panel
// with one centred label, sized for the DPI of its monitor and placed over the
// main product's window.
#include <windows.h>

#include <functional>
#include <string>

#include "handles.h"

class TStatusWindow {
public:
    // What the window hands to its owner: a timer message (true when the
    // owner took it) and the request to close.
    struct THandlers {
        std::function<bool(UINT_PTR timerId)> OnTimer;
        std::function<void()> OnClose;
    };

    // Makes the window, hidden, at (0, 0), sized for the DPI it is made on.
    explicit TStatusWindow(THandlers handlers);
    TStatusWindow(const TStatusWindow&) = delete;
    TStatusWindow& operator=(const TStatusWindow&) = delete;

    HWND Handle() const noexcept { return fHandle.Get(); }

    // Centred over the main product's window (the first window whose title
    // holds "KesTrum"), else over the work area of its monitor; then sized
    // for the DPI of the monitor it is on, keeping that origin.
    void Place();
    // Brings the window on screen when it is not there yet.
    void ShowOnScreen();
    // Shows the text (a carriage return starts a second line), brings the
    // window on screen and paints it at once.
    void ShowStatusText(const std::wstring& text);

private:
    void ApplyDpi(UINT dpi);
    HFONT PanelFont();
    // WM_GETFONT of the panel and the label: the font the text is drawn with.
    static LRESULT FontOf(HWND window);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK PanelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK LabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    THandlers fHandlers;
    TWindowHandle fHandle;
    HWND fClientPanel = nullptr;  // child of the window, destroyed with it
    HWND fStatusLabel = nullptr;  // child of the panel
    UINT fDpi = USER_DEFAULT_SCREEN_DPI;
    TFontHandle fPanelFont;  // made on first use, for the DPI it was made for
    UINT fPanelFontDpi = 0;
};

// The first top-level window, in Z-order from the top, whose title contains
// title; hidden and minimised windows count. nullptr when there is none.
HWND FindWindowByTitle(const std::wstring& title);

#pragma once
// The one form of the program: the status window and the operations it runs.
#include <windows.h>

#include <string>

#include "environment.h"
#include "handles.h"
#include "timer.h"

class TfrmMain {
public:
    TfrmMain();
    ~TfrmMain();
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Handlers.
    void FormCreate();
    void FormShow();
    void CloseTimerTimer();

    // The first top-level window, in Z-order, whose title contains WindowTitle.
    HWND FindWindowByTitle(const std::wstring& WindowTitle);

    // Document operations.
    void ExtractThumbnail(const std::wstring& SldFilename);
    int FillSolidworksProperties(const std::wstring& SldFileName, const std::wstring& PropFileName, int& AnzAkt);

    // Form behaviour.
    void Show();   // first show: runs FormShow, then brings the window on screen
    void Close();  // ends the message loop; the form stays as it is
    void ShowStatusText(const std::wstring& text);
    HWND Handle() const noexcept { return fHandle.Get(); }
    HWND StatusLabel() const noexcept { return lbStatus; }

    bool fswdocmgrFound = false;
    // How FormCreate opens registry keys: the platform's RegOpenKeyExW, or a
    // recorder that a test puts here before it runs FormCreate again.
    TRegOpenKey fRegOpenKey = &::RegOpenKeyExW;
    std::wstring AsmFileName;
    std::wstring ProgrammPfad;
    std::wstring ProgrammIni;

    TTimer CloseTimer;

private:
    void CreateFormWindow();
    void ApplyDpi(UINT dpi);
    void PlaceWindow();
    HFONT PanelFont();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK LabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TWindowHandle fHandle;
    HWND clientPanel = nullptr;  // child of the form, destroyed with it
    HWND lbStatus = nullptr;     // child of the panel
    UINT fDpi = USER_DEFAULT_SCREEN_DPI;
    TFontHandle fPanelFont;      // made on first use, for the DPI it was made for
    UINT fPanelFontDpi = 0;
    bool fShown = false;
};

extern TfrmMain* frmMain;

// Starts a program from the command line: FileName in double quotes, a blank,
// Params unchanged; in Folder, or in FileName's folder when Folder is empty.
// Optionally waits until it is ready for input (bounded), then until it has
// ended while handling this thread's window messages. False on failure, with
// the platform's error code in ErrorCode, which is written only then.
bool ExecuteProcess(const std::wstring& FileName, const std::wstring& Params, const std::wstring& Folder,
                    bool WaitUntilTerminated, bool WaitUntilIdle, bool RunMinimized, DWORD& ErrorCode);
// Hands filename and its Parameters to the shell with the verb "runas", so that
// it runs with administrator rights after the user's consent; does not wait for
// it. True when the shell carried the request out.
bool RunAsAdmin(HWND hWnd, const std::wstring& filename, const std::wstring& Parameters);

#pragma once
// The application object: COM on the GUI thread, the hidden application
// window, the message loop and the program-wide handling of failures.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "handles.h"

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // COM as a single-threaded apartment and the hidden application window.
    void Initialize();
    // Shows the main form (showMainForm: its show handler dispatches the
    // command) and runs the message loop until the program is to end.
    void Run(const std::function<void()>& showMainForm);
    // The message loop: takes and dispatches messages until the program is to
    // end (at once when it already is). Both loops dispatch only what the
    // crash filter lets through (MayDispatch, dispatch_rule.h).
    void RunMessageLoop();
    // Ends the message loop as soon as control returns to it.
    void Terminate();
    bool Terminated() const noexcept { return fTerminated; }
    // Dispatches every pending window message until the queue is empty; a
    // quit message among them marks the application as ending.
    void ProcessMessages();

    HWND Handle() const noexcept { return fHandle.Get(); }
    // The caption of the error box: the program file's name as a title.
    const std::wstring& Title() const noexcept { return fTitle; }

    // Shows the error box for the failure being handled (call inside a catch).
    void HandleException(std::exception_ptr failure);
    // The error box of a failure in a handler with this message: owned by the
    // active window, or by the hidden application window when none is
    // active; above all other windows when its owner is not on screen.
    void ShowErrorBox(const std::wstring& message);

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring fTitle;
    bool fComInitialized = false;
    bool fTerminated = false;
    TWindowHandle fHandle;
};

extern TApplication* Application;

// Marks the thread as running a handler for as long as it lives, so that a
// fault raised meanwhile can be reported as a failure of the handler. Handlers
// run on the program's one GUI thread only.
class THandlerMark {
public:
    THandlerMark() noexcept;
    ~THandlerMark();
    THandlerMark(const THandlerMark&) = delete;
    THandlerMark& operator=(const THandlerMark&) = delete;

    // Whether the calling thread runs a handler now.
    static bool Inside() noexcept;
};

// Runs a handler; a failure escaping it is shown in the error box and the
// program carries on as if the handler had returned.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
    const THandlerMark inHandler;
    try {
        handler();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}

// The "Anwendungsfehler" box for a failure outside the handlers; task-modal
// and above all other windows.
void ShowApplicationError(std::exception_ptr failure);
// The same box for a failure of the given class at the given code address in
// the named module.
void ShowApplicationError(const std::wstring& className, const std::wstring& moduleName, std::uint64_t address,
                          const std::wstring& message);

#pragma once
// What the program hands the fault machinery of its application object and
// its form, as function pointers, so that nothing here takes the application
// or the form itself. Each may be called on any thread that faults or
// reports; each copes with its object not being there (yet or any more).
#include <windows.h>

#include <cstdint>
#include <string>

// What the crash filter reads of the form, on the GUI thread.
struct TCrashFilterForm {
    // When the close timer is due next (GetTickCount64), 0 when it does not run.
    ULONGLONG (*CloseTimerDue)() = nullptr;
    // The form's window; null while there is none.
    HWND (*Window)() = nullptr;
};

// What the crash filter asks of the application object.
struct TCrashFilterApplication {
    // Whether the calling thread runs one of the program's handlers now
    // (false while there is no application object).
    bool (*InsideHandler)() = nullptr;
    // The hidden application window; null while there is none.
    HWND (*Window)() = nullptr;
    // The caption of the program's error boxes; empty while there is none.
    std::wstring (*Title)() = nullptr;
    // The form's error box for a failure in a handler with this message
    // (called only while InsideHandler is true).
    void (*ShowErrorBox)(const std::wstring& message) = nullptr;
    // The message loop, until the program is to end (as ShowErrorBox).
    void (*RunMessageLoop)() = nullptr;
    // The "Anwendungsfehler" box for a failure of the given class at the
    // given code address in the named module.
    void (*ShowApplicationError)(const std::wstring& className, const std::wstring& moduleName,
                                 std::uint64_t address, const std::wstring& message) = nullptr;
};

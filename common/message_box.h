#pragma once
// Message boxes of the program.
#include <windows.h>

// MessageBoxW. With MB_TOPMOST in type the box is also raised above all other
// windows itself when it becomes active: not every system that runs the
// program (Wine) acts on the flag, and a box without a visible owner must
// not open behind the main product's window, where nobody sees it while the
// program waits. The box is one of the program's own windows while it is up
// (IsProgramMessageBox).
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Whether window is a box that ShowMessageBox shows now, on any thread.
bool IsProgramMessageBox(HWND window) noexcept;

// Whether window is a dialog box of the system's dialog class, as a message
// box is.
bool IsDialogBox(HWND window) noexcept;

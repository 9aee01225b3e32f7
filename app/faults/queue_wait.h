#pragma once
// Waits of a thread that has made windows (the reporting thread, from its
// warm-up on): such a thread must keep its message queue answered while it
// waits, or a program that broadcasts a message (a setting changed, a
// session ending) waits for it.
#include <windows.h>

// Waits up to milliseconds (INFINITE: for good) for handle to be signalled
// (null: only the time), dispatching the messages of the calling thread
// meanwhile; true when the handle was signalled.
bool WaitServingMessages(HANDLE handle, DWORD milliseconds) noexcept;

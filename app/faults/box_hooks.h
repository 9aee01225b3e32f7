#pragma once
// The hooks of the threads that may show a report's box, idle until a fault:
//  - a CBT hook, on the GUI thread and on the reporting thread: the dialog
//    box that the thread of the first fault or the reporting thread makes is
//    the watchdog's to watch (WatchReportBox: on screen once visible), and
//    once it becomes active it is on screen (MarkReportBoxShown);
//  - a message-filter hook, on the GUI thread: a modal loop there (the box's)
//    drops what MayDispatch does not let through.
#include <windows.h>

#include "handles.h"

// The calling thread's CBT hook; empty when the system refuses it, and then
// the watchdog cannot see the box of this thread come.
THookHandle WatchBoxesOfThisThread() noexcept;

// Sets both hooks of the GUI thread, for the life of the process (call on it,
// once). Without the message-filter hook, the box's modal loop on the GUI
// thread dispatches every message.
void HookGuiThread() noexcept;
// Whether the GUI thread's CBT hook is in (HookGuiThread).
bool GuiBoxWatched() noexcept;

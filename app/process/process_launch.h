#pragma once
// Starting a program as a new process, with optional waits for it.
#include <windows.h>

#include <functional>
#include <string>

// Handles this thread's pending window messages.
using TMessagePump = std::function<void()>;

// Starts a program from the command line: FileName in double quotes, a blank,
// Params unchanged; in Folder, or in FileName's folder when Folder is empty.
// Optionally waits until it is ready for input (bounded), then until it has
// ended while ProcessMessages handles this thread's window messages. False on
// failure, with the platform's error code in ErrorCode, which is written only
// then.
[[nodiscard]] bool ExecuteProcess(const std::wstring& FileName, const std::wstring& Params, const std::wstring& Folder,
                                  bool WaitUntilTerminated, bool WaitUntilIdle, bool RunMinimized, DWORD& ErrorCode,
                                  const TMessagePump& ProcessMessages);

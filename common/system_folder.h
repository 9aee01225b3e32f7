#pragma once
// The Windows system folder, read in one place for the whole program.
#include <windows.h>

#include <string>

// Asks for the system folder as GetSystemDirectoryW does: the length placed in
// buffer (without NUL), the size needed (with NUL) when it does not fit, or 0
// on failure.
using TGetSystemDirectory = UINT(WINAPI*)(LPWSTR buffer, UINT size);

// The system folder without a trailing backslash, whole at any length: a path
// that does not fit the first buffer of MAX_PATH characters is asked for again
// with the size the platform names. Empty when the platform cannot tell it,
// with the reason in the last error code. The folder is asked for through
// getSystemDirectory: the platform's GetSystemDirectoryW unless another is given.
std::wstring SystemFolder(TGetSystemDirectory getSystemDirectory = &::GetSystemDirectoryW);

#pragma once
// The version-information functions of the system's VERSION.dll, bound at run
// time from the system folder only. VERSION.dll is not one of the platform's
// known libraries: imported the usual way, a copy beside the program would be
// loaded in its place before any code of ours runs. A platform without the
// library or one of its functions cannot tell a version at all: every call then
// raises the platform's error, so that no caller mistakes it for a file
// without version information (version 0).
#include <windows.h>

#include "system_folder.h"

class TVersionFunctions {
public:
    // Binds GetFileVersionInfoSizeW, GetFileVersionInfoW and VerQueryValueW of
    // the library LibraryName in the system folder, loaded by its full path;
    // the folder is asked for through getSystemDirectory. Raises nothing of its
    // own: a failure to bind is kept for the calls.
    explicit TVersionFunctions(const wchar_t* LibraryName,
                               TGetSystemDirectory getSystemDirectory = &::GetSystemDirectoryW);
    TVersionFunctions(const TVersionFunctions&) = delete;
    TVersionFunctions& operator=(const TVersionFunctions&) = delete;

    // All three functions were found.
    [[nodiscard]] bool Bound() const noexcept;
    // Why the binding failed: the platform's error code (the system folder
    // unknown, the library not loaded, ERROR_PROC_NOT_FOUND for a missing
    // function); 0 when bound.
    [[nodiscard]] DWORD BindError() const noexcept { return fBindError; }

    // The platform's functions of the same names. Unbound, each raises EOSError
    // with BindError ("Systemfehler.  Code: %d." and the platform's text).
    [[nodiscard]] DWORD GetFileVersionInfoSizeW(LPCWSTR FileName, LPDWORD Handle) const;
    [[nodiscard]] BOOL GetFileVersionInfoW(LPCWSTR FileName, DWORD Handle, DWORD Len, LPVOID Data) const;
    [[nodiscard]] BOOL VerQueryValueW(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Len) const;

private:
    using TSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using TInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using TQueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    // Raises the binding's failure when the functions are not bound.
    void RequireBound() const;

    TSizeFn fSize = nullptr;
    TInfoFn fInfo = nullptr;
    TQueryFn fQuery = nullptr;
    DWORD fBindError = 0;
};

// The system's VERSION.dll, bound on first use; the library stays loaded for
// the life of the process.
const TVersionFunctions& VersionFunctions();

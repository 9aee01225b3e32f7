#pragma once
// The version-information functions of the system's VERSION.dll, bound at run
// time from the system folder only. VERSION.dll is not one of the platform's
// known libraries: imported the usual way, a copy beside the program would be
// loaded in its place before any code of ours runs. Without the library or one
// of its functions every call answers as for a file without version
// information, so the reader reports no errors.
#include <windows.h>

class TVersionFunctions {
public:
    // Binds GetFileVersionInfoSizeW, GetFileVersionInfoW and VerQueryValueW of
    // the library LibraryName in the system folder, loaded by its full path.
    explicit TVersionFunctions(const wchar_t* LibraryName) noexcept;
    TVersionFunctions(const TVersionFunctions&) = delete;
    TVersionFunctions& operator=(const TVersionFunctions&) = delete;

    // All three functions were found.
    [[nodiscard]] bool Bound() const noexcept;

    // The platform's functions of the same names; unbound: 0, FALSE, FALSE.
    [[nodiscard]] DWORD GetFileVersionInfoSizeW(LPCWSTR FileName, LPDWORD Handle) const noexcept;
    [[nodiscard]] BOOL GetFileVersionInfoW(LPCWSTR FileName, DWORD Handle, DWORD Len, LPVOID Data) const noexcept;
    [[nodiscard]] BOOL VerQueryValueW(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Len) const noexcept;

private:
    using TSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using TInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using TQueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    TSizeFn fSize = nullptr;
    TInfoFn fInfo = nullptr;
    TQueryFn fQuery = nullptr;
};

// The system's VERSION.dll, bound on first use; the library stays loaded for
// the life of the process.
const TVersionFunctions& VersionFunctions();

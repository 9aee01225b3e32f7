#include "VersionFunctions.h"

#include <new>
#include <string>

#include "BoundFunction.h"
#include "system_folder.h"

namespace {

// The library's full path in the system folder; empty when the folder is unknown.
std::wstring SystemLibraryPath(const wchar_t* LibraryName) noexcept {
    try {
        const std::wstring folder = SystemFolder();
        return folder.empty() ? std::wstring() : folder + L"\\" + LibraryName;
    } catch (const std::bad_alloc&) {
        return std::wstring();
    }
}

}  // namespace

TVersionFunctions::TVersionFunctions(const wchar_t* LibraryName) noexcept {
    // By its full path: by its name alone, a library of that name that is
    // already loaded would be taken, wherever it came from. Its own imports
    // come from the system folder too.
    const std::wstring path = SystemLibraryPath(LibraryName);
    const HMODULE library =
        path.empty() ? nullptr : ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    fSize = BindFunction<TSizeFn>(library, "GetFileVersionInfoSizeW");
    fInfo = BindFunction<TInfoFn>(library, "GetFileVersionInfoW");
    fQuery = BindFunction<TQueryFn>(library, "VerQueryValueW");
    // All or nothing: a library that lacks one of them is not used at all.
    if (!Bound()) {
        fSize = nullptr;
        fInfo = nullptr;
        fQuery = nullptr;
        if (library) ::FreeLibrary(library);
    }
}

bool TVersionFunctions::Bound() const noexcept { return fSize && fInfo && fQuery; }

DWORD TVersionFunctions::GetFileVersionInfoSizeW(LPCWSTR FileName, LPDWORD Handle) const noexcept {
    if (!fSize) {
        if (Handle) *Handle = 0;
        return 0;
    }
    return fSize(FileName, Handle);
}

BOOL TVersionFunctions::GetFileVersionInfoW(LPCWSTR FileName, DWORD Handle, DWORD Len, LPVOID Data) const noexcept {
    return fInfo ? fInfo(FileName, Handle, Len, Data) : FALSE;
}

BOOL TVersionFunctions::VerQueryValueW(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Len) const noexcept {
    return fQuery ? fQuery(Block, SubBlock, Buffer, Len) : FALSE;
}

const TVersionFunctions& VersionFunctions() {
    static const TVersionFunctions functions(L"version.dll");
    return functions;
}

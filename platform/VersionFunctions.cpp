#include "VersionFunctions.h"

#include <string>

#include "BoundFunction.h"
#include "os_error.h"

TVersionFunctions::TVersionFunctions(const wchar_t* LibraryName, TGetSystemDirectory getSystemDirectory) {
    // By its full path: by its name alone, a library of that name that is
    // already loaded would be taken, wherever it came from. Its own imports
    // come from the system folder too. Without the system folder nothing is
    // loaded at all.
    const std::wstring folder = SystemFolder(getSystemDirectory);
    if (folder.empty()) {
        fBindError = ::GetLastError();
    } else {
        const std::wstring path = folder + L"\\" + LibraryName;
        const HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!library) {
            fBindError = ::GetLastError();
        } else {
            fSize = BindFunction<TSizeFn>(library, "GetFileVersionInfoSizeW");
            fInfo = BindFunction<TInfoFn>(library, "GetFileVersionInfoW");
            fQuery = BindFunction<TQueryFn>(library, "VerQueryValueW");
            // All or nothing: a library that lacks one of them is not used at all.
            if (!Bound()) {
                fSize = nullptr;
                fInfo = nullptr;
                fQuery = nullptr;
                fBindError = ERROR_PROC_NOT_FOUND;
                ::FreeLibrary(library);
            }
        }
    }
    // A failure that the platform gave no code for still counts as one.
    if (!Bound() && fBindError == 0) fBindError = ERROR_MOD_NOT_FOUND;
}

bool TVersionFunctions::Bound() const noexcept { return fSize && fInfo && fQuery; }

void TVersionFunctions::RequireBound() const {
    if (!Bound()) RaiseOSError(fBindError);
}

DWORD TVersionFunctions::GetFileVersionInfoSizeW(LPCWSTR FileName, LPDWORD Handle) const {
    RequireBound();
    return fSize(FileName, Handle);
}

BOOL TVersionFunctions::GetFileVersionInfoW(LPCWSTR FileName, DWORD Handle, DWORD Len, LPVOID Data) const {
    RequireBound();
    return fInfo(FileName, Handle, Len, Data);
}

BOOL TVersionFunctions::VerQueryValueW(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Len) const {
    RequireBound();
    return fQuery(Block, SubBlock, Buffer, Len);
}

const TVersionFunctions& VersionFunctions() {
    static const TVersionFunctions functions(L"version.dll");
    return functions;
}

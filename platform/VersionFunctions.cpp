#include "VersionFunctions.h"

#include <cwchar>
#include <iterator>

#include "BoundFunction.h"

namespace {

// Room for the system folder, a backslash and a library name.
const std::size_t cPathSize = MAX_PATH + 64;

// The library's full path in the system folder into Path; false when the
// folder is unknown or the path does not fit.
bool SystemLibraryPath(const wchar_t* LibraryName, wchar_t (&Path)[cPathSize]) noexcept {
    const UINT length = ::GetSystemDirectoryW(Path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::size_t nameLength = std::wcslen(LibraryName);
    if (length + 1 + nameLength >= std::size(Path)) return false;
    Path[length] = L'\\';
    std::wmemcpy(Path + length + 1, LibraryName, nameLength + 1);
    return true;
}

}  // namespace

TVersionFunctions::TVersionFunctions(const wchar_t* LibraryName) noexcept {
    // By its full path: by its name alone, a library of that name that is
    // already loaded would be taken, wherever it came from. Its own imports
    // come from the system folder too.
    wchar_t path[cPathSize] = {};
    const HMODULE library = SystemLibraryPath(LibraryName, path)
                                ? ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                                : nullptr;
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

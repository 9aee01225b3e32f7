// holdfile [--no-sharing | --mapped] PATH: opens the file for reading and
// writing while others may only read it (with --no-sharing: while nobody else
// may open it at all), writes "held" and a line feed to standard output, and
// keeps the file open until its standard input ends. With --mapped it keeps a
// read-only view of the whole file instead, as scanners and thumbnailers do:
// the file is opened sharing everything, mapped, and its file and mapping
// handles are closed again before "held"; the view alone holds the file. Exit
// code 1 when the file cannot be opened or mapped (with the system error code
// on standard error).
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "handles.h"

namespace {

int Failed(const char* what) {
    std::fprintf(stderr, "holdfile: cannot %s, error %lu\n", what, ::GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool noSharing = argc == 3 && std::wcscmp(argv[1], L"--no-sharing") == 0;
    const bool mapped = argc == 3 && std::wcscmp(argv[1], L"--mapped") == 0;
    if (argc != 2 && !noSharing && !mapped) {
        std::fputs("usage: holdfile [--no-sharing | --mapped] PATH\n", stderr);
        return 2;
    }
    const wchar_t* path = argv[argc - 1];
    const DWORD access = mapped ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD sharing =
        mapped ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : noSharing ? 0 : FILE_SHARE_READ;
    TFileHandle file(::CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failed("open");
    TMappedView view;
    if (mapped) {
        const TKernelHandle mapping(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping) return Failed("map");
        view.Reset(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
        if (!view) return Failed("map a view");
        file.Reset();
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    char buffer[256];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    return 0;
}

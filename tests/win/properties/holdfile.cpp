// holdfile [--no-sharing] PATH: opens the file for reading and writing while
// others may only read it (with --no-sharing: while nobody else may open it
// at all), writes "held" and a line feed to standard output, and keeps the
// file open until its standard input ends. Exit code 1 when the file cannot be
// opened (with the system error code on standard error).
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "handles.h"

int wmain(int argc, wchar_t** argv) {
    const bool noSharing = argc == 3 && std::wcscmp(argv[1], L"--no-sharing") == 0;
    if (argc != 2 && !noSharing) {
        std::fputs("usage: holdfile [--no-sharing] PATH\n", stderr);
        return 2;
    }
    const wchar_t* path = argv[argc - 1];
    const DWORD sharing = noSharing ? 0 : FILE_SHARE_READ;
    const TFileHandle file(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        std::fprintf(stderr, "holdfile: cannot open, error %lu\n", ::GetLastError());
        return 1;
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    char buffer[256];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    return 0;
}

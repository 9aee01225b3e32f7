// holdfile PATH: opens the file for reading and writing while others may
// only read it, writes "held" and a line feed to standard output, and keeps
// the file open until its standard input ends. Exit code 1 when the file
// cannot be opened (with the system error code on standard error).
#include <windows.h>

#include <cstdio>

#include "handles.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: holdfile PATH\n", stderr);
        return 2;
    }
    const TFileHandle file(::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

/* The control for the search-order test: a program that imports VERSION.dll
   the usual way, so that a copy planted beside it is loaded. Reads its own
   version information and ends with exit code 0. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    wchar_t path[MAX_PATH * 2];
    DWORD handle = 0;
    if (GetModuleFileNameW(NULL, path, MAX_PATH * 2)) GetFileVersionInfoSizeW(path, &handle);
    return 0;
}

#pragma once
// What a started test program saw of its own start, written to a file for the
// test that started it. The file holds UTF-8 lines "key=value":
//   cmdline  the command line as the program received it
//   cwd      its current folder
//   arg      one line per argument after the program item (CommandLineToArgvW)
//   startflags, show   dwFlags and wShowWindow of its STARTUPINFO
//   window, iconic     its window (hexadecimal) and whether it came up minimized
//   pid      its process id
//   elevated 1 when its token is elevated
#include <windows.h>

#include <string>

// The dump file the environment names (KESTRUM_ARGDUMP_OUT), or empty.
std::wstring DumpPathFromEnvironment();
// A count of milliseconds from the environment, 0 when not set.
DWORD MillisecondsFromEnvironment(const wchar_t* name);
// Writes the dump to path in one step (written aside, then moved in place), so
// that a reader never sees half of it. window may be null.
bool WriteArgDump(const std::wstring& path, HWND window);
// Marks the program's end: an empty file named path followed by ".end".
void WriteEndMark(const std::wstring& path);

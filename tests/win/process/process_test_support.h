#pragma once
// Support for the tests of starting programs: the test programs beside this
// one, throwaway folders, the dumps the test programs write (environment
// variables for the started programs: TEnvironmentScope).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "environment_scope.h"
#include "files.h"
#include "temp_folder.h"
#include "utf8.h"

// A file in the folder of this test program (where argdump.exe and the others are).
std::wstring BinFile(const std::wstring& name);
// A path without its trailing backslash, for comparing folder names.
std::wstring WithoutTrailingBackslash(std::wstring path);
// Folder names compared as the file system does: case-insensitively.
bool SameFolder(const std::wstring& a, const std::wstring& b);
// Waits up to timeoutMs for the file to exist.
bool WaitForFile(const std::wstring& path, DWORD timeoutMs);
// Replaces every "%T" in text by folder.
std::wstring Expand(const std::wstring& text, const std::wstring& folder);


// A dump written by argdump.exe, argdump_gui.exe or regmark.dll (argdump_report.h).
struct TArgDump {
    std::wstring cmdline, cwd;
    std::vector<std::wstring> args;
    DWORD startflags = 0, show = 0;
    HWND window = nullptr;
    bool iconic = false, elevated = false;
    DWORD pid = 0;
};
std::optional<TArgDump> ReadArgDump(const std::wstring& path);

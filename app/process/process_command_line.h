#pragma once
// The command line and working folder of a program started by ExecuteProcess,
// and one path written as a single argument of such a command line.
#include <string>

// A double quote, FileName, a double quote, one blank, then Params unchanged:
// nothing is escaped or trimmed, and the blank is there even when Params is empty.
std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Params);

// The working folder: Folder unchanged when it is given; otherwise the folder
// part of FileName with one trailing backslash removed ("C:\Tools\app.exe"
// gives "C:\Tools", "C:\app.exe" gives "C:"), or empty when FileName has no
// folder, in which case the new process keeps the caller's current folder.
std::wstring ProcessWorkingFolder(const std::wstring& FileName, const std::wstring& Folder);

// A path as exactly one argument for the usual splitting of a command line
// (the C runtime's and CommandLineToArgvW's rules): in double quotes, with
// backslashes at its end doubled so that they do not escape the closing quote.
// An empty path gives the empty string, that is no argument at all.
std::wstring PathArgument(const std::wstring& path);

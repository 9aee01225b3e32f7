#pragma once
// Files of the Windows tests: whole files read and written, existence, and
// the folder of the running test program.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

// The content of the file; fails the test (and gives nothing) when it cannot be opened.
TBytes ReadFileBytes(const std::wstring& path);
// Writes the bytes as the file at path, replacing it; fails the test when it cannot.
void WriteTestFile(const std::wstring& path, const TBytes& bytes);
void WriteTestFile(const std::wstring& path, std::string_view bytes);
// True for an existing file, false for a folder or nothing.
bool IsExistingFile(const std::wstring& path);
// The full path of this test program, and its folder with a trailing backslash.
std::wstring ProgramPath();
std::wstring ProgramFolder();

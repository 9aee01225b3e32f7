#pragma once
// The files of loaded modules: the running program's own, or any other.
#include <windows.h>

#include <string>

// The full path of the module's file (nullptr: the running program's
// executable); empty when the platform cannot tell it (the last error then
// says why).
std::wstring ModuleFilePath(HMODULE module);

// The full path of the running program's executable; empty when the platform
// cannot tell it (the last error then says why).
std::wstring ProgramFilePath();

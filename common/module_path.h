#pragma once
// The running program's own file.
#include <string>

// The full path of the running program's executable; empty when the platform
// cannot tell it (the last error then says why).
std::wstring ProgramFilePath();

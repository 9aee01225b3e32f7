#pragma once
// Starting a program with administrator rights through the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

// "runas" for filename with Parameters (no parameters at all when empty),
// shown normally, owned by hWnd; the call returns only when the shell has
// carried the request out, and the shell shows no error messages of its own.
// The result points into filename and Parameters, which must outlive it.
SHELLEXECUTEINFOW RunAsAdminRequest(HWND hWnd, const std::wstring& filename, const std::wstring& Parameters);

// Hands filename and its Parameters to the shell with the verb "runas", so that
// it runs with administrator rights after the user's consent; does not wait for
// it. True when the shell carried the request out.
[[nodiscard]] bool RunAsAdmin(HWND hWnd, const std::wstring& filename, const std::wstring& Parameters);

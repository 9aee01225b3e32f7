// Starting a program with administrator rights through the shell.
#include "run_as_admin.h"

SHELLEXECUTEINFOW RunAsAdminRequest(HWND hWnd, const std::wstring& filename, const std::wstring& Parameters) {
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = hWnd;
    sei.lpVerb = L"runas";
    sei.lpFile = filename.c_str();
    sei.lpParameters = Parameters.empty() ? nullptr : Parameters.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return sei;
}

bool RunAsAdmin(HWND hWnd, const std::wstring& filename, const std::wstring& Parameters) {
    SHELLEXECUTEINFOW sei = RunAsAdminRequest(hWnd, filename, Parameters);
    return ::ShellExecuteExW(&sei) != FALSE;
}

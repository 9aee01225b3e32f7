// Program entry: the application with COM on this thread, the one form, the
// message loop. Exit code 0 for every end but a failure outside the handlers.
#include <windows.h>

#include <exception>

#include "MainDlg.h"
#include "application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Every library loaded from here on, by us or by the platform for us, comes
    // from the system folder (or from the absolute path it is loaded by), never
    // from the program's folder or the current one.
    if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // Not restricted: at least the current folder leaves the search order.
        ::SetDllDirectoryW(L"");
    }
    try {
        TApplication application;
        application.Initialize();
        TfrmMain form;
        application.Run(form);
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return 1;
    }
    return 0;
}

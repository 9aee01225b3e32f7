// Program entry: the application with COM on this thread, the one form, the
// message loop. Exit code 0 for every end but a failure outside the handlers.
#include <windows.h>

#include <exception>

#include "MainDlg.h"
#include "application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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

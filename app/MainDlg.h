#pragma once
// The one form of the program: the status window and the commands it runs.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "environment.h"
#include "extract_thumbnail.h"
#include "process_launch.h"
#include "property_update.h"
#include "startup.h"
#include "status_window.h"
#include "timer.h"

// The work behind the form's commands: the program's own operations, or
// others of the same types that a test program or the fault build hands in.
struct TFormOperations {
    std::function<decltype(::ExtractDocumentThumbnail)> ExtractThumbnail;
    std::function<decltype(::UpdateCustomProperties)> FillProperties;
    std::function<decltype(::ExecuteProcess)> ExecuteProcess;
};

// The program's own operations.
TFormOperations ProgramOperations();

class TfrmMain {
public:
    explicit TfrmMain(TFormOperations operations = ProgramOperations());
    ~TfrmMain();
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Handlers.
    void FormCreate();
    void FormShow();
    void CloseTimerTimer();

    // The first top-level window, in Z-order, whose title contains WindowTitle.
    HWND FindWindowByTitle(const std::wstring& WindowTitle);

    // Document operations; without the Document Manager they do nothing.
    void ExtractThumbnail(const std::wstring& SldFilename);
    // The number of new properties; AnzAkt receives the number of updated ones.
    int FillSolidworksProperties(const std::wstring& SldFileName, const std::wstring& PropFileName, int& AnzAkt);

    // Form behaviour.
    void Show();   // first show: runs FormShow, then brings the window on screen
    void Close();  // ends the message loop; the form stays as it is
    void ShowStatusText(const std::wstring& text);
    void PlaceWindow();
    // The status window; null while the creation handler runs.
    HWND Handle() const noexcept { return fWindow ? fWindow->Handle() : nullptr; }

    bool fswdocmgrFound = false;
    // How FormCreate reaches the platform (registry keys, the system folder,
    // version information): the platform's own calls, or recorders and
    // failing stand-ins that a test puts here before it runs FormCreate again.
    TStartupCalls fStartupCalls;
    std::wstring AsmFileName;  // not used by any operation
    std::wstring ProgrammPfad;
    std::wstring ProgrammIni;

    TTimer CloseTimer;

private:
    TFormOperations fOperations;
    std::optional<TStatusWindow> fWindow;  // made after the creation handler
    bool fShown = false;
};

extern TfrmMain* frmMain;

// The program from start to end: the application with COM on this thread, the
// one form with the given operations, the message loop. Exit code 0 for every
// end (a fault on this thread inside a handler included: it is reported like
// any failure of the handler) but a failure outside the handlers, a fault
// outside them or on another thread, and a stack overflow, which show the
// "Anwendungsfehler" box and give 1 (faults.h). While such a box is up
// the run does not end: at its normal end this thread waits, and the box's
// answer ends the process.
int RunProgram(const TFormOperations& operations);

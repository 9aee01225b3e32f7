// The form: its handlers (creation, the command dispatch, the close timer),
// the status window it shows, and the operations its commands run.
#include "MainDlg.h"

#include <exception>

#include "application.h"
#include "command_line.h"
#include "dispatch_rule.h"
#include "errors.h"
#include "faults.h"
#include "paths.h"
#include "process_command_line.h"
#include "startup.h"
#include "status_text.h"

TfrmMain* frmMain = nullptr;

namespace {
const UINT_PTR cCloseTimerId = 1;
const UINT cCloseTimerInterval = 36000;  // ms, from the form's design
const UINT cResultDisplayInterval = 1500;  // ms the property result stays on screen

// What the crash filter reads of the form: when its close timer is due next
// (0: it does not run), and its window.
ULONGLONG CloseTimerDue() { return frmMain ? frmMain->CloseTimer.NextDue(::GetTickCount64()) : 0; }
HWND FormWindow() { return frmMain ? frmMain->Handle() : nullptr; }

// What the crash filter asks of the application object.
bool InsideHandler() { return Application && THandlerMark::Inside(); }
HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }
std::wstring ApplicationTitle() { return Application ? Application->Title() : std::wstring(); }
void ShowHandlerErrorBox(const std::wstring& message) { Application->ShowErrorBox(message); }
void RunApplicationMessageLoop() { Application->RunMessageLoop(); }

TCrashFilterApplication CrashFilterApplication() {
    TCrashFilterApplication application;
    application.InsideHandler = &InsideHandler;
    application.Window = &ApplicationWindow;
    application.Title = &ApplicationTitle;
    application.ShowErrorBox = &ShowHandlerErrorBox;
    application.RunMessageLoop = &RunApplicationMessageLoop;
    application.ShowApplicationError = &ShowApplicationError;
    return application;
}
}  // namespace

TFormOperations ProgramOperations() {
    return TFormOperations{&ExtractDocumentThumbnail, &UpdateCustomProperties, &ExecuteProcess};
}

TfrmMain::TfrmMain(TFormOperations operations)
    : CloseTimer(cCloseTimerId, cCloseTimerInterval), fOperations(std::move(operations)) {
    frmMain = this;
    CloseTimer.OnTimer = [this] { CloseTimerTimer(); };
    RunHandler([this] { FormCreate(); });
    TStatusWindow::THandlers handlers;
    handlers.OnTimer = [this](UINT_PTR timerId) {
        if (timerId != CloseTimer.Id()) return false;
        // The tick may come from a loop of the library's while a call runs:
        // the program's own rule of what may run still holds.
        MSG tick = {};
        tick.hwnd = Handle();
        tick.message = WM_TIMER;
        tick.wParam = timerId;
        if (CloseTimer.OnTimer && MayDispatch(tick)) RunHandler(CloseTimer.OnTimer);
        return true;
    };
    handlers.OnClose = [this] { Close(); };
    fWindow.emplace(std::move(handlers));
    CloseTimer.SetOwner(Handle());
}

TfrmMain::~TfrmMain() {
    CloseTimer.SetOwner(nullptr);
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormCreate() {
    const TStartupFields fields{ProgrammPfad, ProgrammIni, fswdocmgrFound};
    if (PrepareEnvironment(fields, fStartupCalls, Application->Handle()) == TStartupOutcome::DocMgrTooNew) {
        // Ends the program at once, before anything is shown: a silent failure
        // that leaves the creation handler, with the message loop already told
        // to end.
        Application->Terminate();
        throw EAbort();
    }
}

void TfrmMain::FormShow() {
    const TCommandArgs args = ReadCommandArgs(::GetCommandLineW());
    if (args.Count == 0) Close();
    PlaceWindow();
    const std::wstring& command = args.Param1;

    if (command == L"/T") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextPreview);
        WatchOperationCalls();
        ExtractThumbnail(args.Param2);
        Close();
    }
    if (command == L"/O") {
        // The file goes over as one argument, even with blanks in its path.
        DWORD ErrorCode = 0;
        // Whether the program started is not looked at: the form closes either way.
        static_cast<void>(fOperations.ExecuteProcess(
            args.Param2, PathArgument(args.Param3), ExtractFilePath(args.Param3), /*WaitUntilTerminated=*/false,
            /*WaitUntilIdle=*/true, /*RunMinimized=*/false, ErrorCode, [] { Application->ProcessMessages(); }));
        Close();
    }
    if (command == L"/P") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextProperties);
        WatchOperationCalls();
        int AnzAkt = 0;
        const int AnzNeu = FillSolidworksProperties(args.Param2, args.Param3, AnzAkt);
        ShowStatusText(ComposePropertyResult(AnzNeu, AnzAkt));
        CloseTimer.SetEnabled(false);
        CloseTimer.SetInterval(cResultDisplayInterval);
        CloseTimer.SetEnabled(true);
    }
    if (command == L"/R") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextReference);
    }
}

void TfrmMain::CloseTimerTimer() { Close(); }

HWND TfrmMain::FindWindowByTitle(const std::wstring& WindowTitle) { return ::FindWindowByTitle(WindowTitle); }

void TfrmMain::ExtractThumbnail(const std::wstring& SldFilename) {
    if (!fswdocmgrFound) return;
    fOperations.ExtractThumbnail(SldFilename);
}

int TfrmMain::FillSolidworksProperties(const std::wstring& SldFileName, const std::wstring& PropFileName,
                                       int& AnzAkt) {
    // Without the Document Manager nothing is read or written.
    AnzAkt = 0;
    if (!fswdocmgrFound) return 0;
    const TPropertyCounts counts = fOperations.FillProperties(SldFileName, PropFileName);
    AnzAkt = counts.AnzAkt;
    return counts.AnzNeu;
}

void TfrmMain::Show() {
    // Ended before it was shown (the version check at start): nothing runs.
    if (Application->Terminated()) return;
    if (!fShown) {
        fShown = true;
        RunHandler([this] { FormShow(); });
    }
    // A form already closed by its show handler does not come on screen.
    if (!Application->Terminated()) fWindow->ShowOnScreen();
}

void TfrmMain::Close() { Application->Terminate(); }

void TfrmMain::ShowStatusText(const std::wstring& text) { fWindow->ShowStatusText(text); }

void TfrmMain::PlaceWindow() { fWindow->Place(); }

int RunProgram(const TFormOperations& operations) {
    // Windows takes a window that has not answered for 5 s for hung and lets
    // the user close the program; a Document Manager save on a slow share can
    // take that long, and closing the program then would cut the save short.
    ::DisableProcessWindowsGhosting();
    try {
        // First of all: a fault that nothing handles ends in our own box. The
        // library search order stays as Windows sets it: the Document Manager
        // and the libraries it loads later were built for it, and a program
        // started by "/O" inherits it.
        TCrashFilterForm crashFilterForm;
        crashFilterForm.CloseTimerDue = &CloseTimerDue;
        crashFilterForm.Window = &FormWindow;
        InstallCrashFilter(CrashFilterApplication(), crashFilterForm);
        TApplication application;
        application.Initialize();
        TfrmMain form(operations);
        application.Run([&form] { form.Show(); });
        // A fault being reported (on a thread of a library) ends the run, not
        // this thread: the finalisation would unload the library under it.
        WaitWhileReportPending();
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return 1;
    }
    // A report that came during the finalisation still ends the run itself.
    WaitWhileReportPending();
    return 0;
}

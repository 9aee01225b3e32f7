// The form's handlers: creation, the command dispatch and the close timer.
#include "MainDlg.h"

#include "application.h"
#include "command_line.h"
#include "paths.h"
#include "process_command_line.h"
#include "status_text.h"

TfrmMain* frmMain = nullptr;

namespace {
const UINT_PTR cCloseTimerId = 1;
const UINT cCloseTimerInterval = 36000;  // ms, from the form's design
const UINT cResultDisplayInterval = 1500;  // ms the property result stays on screen
}  // namespace

TfrmMain::TfrmMain() : CloseTimer(cCloseTimerId, cCloseTimerInterval) {
    frmMain = this;
    CloseTimer.OnTimer = [this] { CloseTimerTimer(); };
    RunHandler([this] { FormCreate(); });
    CreateFormWindow();
    CloseTimer.SetOwner(Handle());
}

TfrmMain::~TfrmMain() {
    CloseTimer.SetOwner(nullptr);
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormShow() {
    const TCommandArgs args = ReadCommandArgs(::GetCommandLineW());
    if (args.Count == 0) Close();
    PlaceWindow();
    const std::wstring fParam1 = args.Param1;
    const std::wstring fParam2 = args.Param2;
    const std::wstring fParam3 = args.Param3;

    if (fParam1 == L"/T") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextPreview);
        ExtractThumbnail(fParam2);
        Close();
    }
    if (fParam1 == L"/O") {
        // The file goes over as one argument, even with blanks in its path.
        DWORD ErrorCode = 0;
        ExecuteProcess(fParam2, PathArgument(fParam3), ExtractFilePath(fParam3), false, true, false, ErrorCode);
        Close();
    }
    if (fParam1 == L"/P") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextProperties);
        int A = 0;
        const int I = FillSolidworksProperties(fParam2, fParam3, A);
        const std::wstring fMessage = ComposePropertyResult(I, A);
        ShowStatusText(fMessage);
        CloseTimer.SetEnabled(false);
        CloseTimer.SetInterval(cResultDisplayInterval);
        CloseTimer.SetEnabled(true);
    }
    if (fParam1 == L"/R") {
        CloseTimer.SetEnabled(true);
        ShowStatusText(cTextReference);
    }
}

void TfrmMain::CloseTimerTimer() { Close(); }

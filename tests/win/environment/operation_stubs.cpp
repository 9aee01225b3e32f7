// The form's operations, which these tests never run: only the form's
// creation handler is looked at.
#include "MainDlg.h"

void TfrmMain::ExtractThumbnail(const std::wstring&) {}

int TfrmMain::FillSolidworksProperties(const std::wstring&, const std::wstring&, int&) { return 0; }

bool ExecuteProcess(const std::wstring&, const std::wstring&, const std::wstring&, bool, bool, bool, DWORD&) {
    return false;
}

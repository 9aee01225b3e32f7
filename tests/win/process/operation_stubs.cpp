// The form's document operations, which these tests never run: the form
// comes along with the application object whose message processing they use.
#include "MainDlg.h"

void TfrmMain::ExtractThumbnail(const std::wstring&) {}

int TfrmMain::FillSolidworksProperties(const std::wstring&, const std::wstring&, int&) { return 0; }

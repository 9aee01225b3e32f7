// The document operations of the form.
#include "MainDlg.h"

void TfrmMain::ExtractThumbnail(const std::wstring& /*SldFilename*/) {
    // Preview extraction is not built yet: nothing is read or written.
}

int TfrmMain::FillSolidworksProperties(const std::wstring& /*SldFileName*/, const std::wstring& /*PropFileName*/,
                                       int& /*AnzAkt*/) {
    // The custom property update is not built yet: nothing is read or changed.
    return 0;
}

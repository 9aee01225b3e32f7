// "/P": custom properties from a property file into the document.
#include "MainDlg.h"

int TfrmMain::FillSolidworksProperties(const std::wstring& /*SldFileName*/, const std::wstring& /*PropFileName*/,
                                       int& /*AnzAkt*/) {
    // The custom property update is not built yet: nothing is read or changed.
    return 0;
}

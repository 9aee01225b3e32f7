// "/P": custom properties from a property file into the document.
#include "MainDlg.h"
#include "property_update.h"

int TfrmMain::FillSolidworksProperties(const std::wstring& SldFileName, const std::wstring& PropFileName,
                                       int& AnzAkt) {
    // Without the Document Manager nothing is read or written.
    AnzAkt = 0;
    if (!fswdocmgrFound) return 0;
    return UpdateCustomProperties(SldFileName, PropFileName, AnzAkt);
}

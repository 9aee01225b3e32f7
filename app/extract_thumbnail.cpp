// "/T": the document's preview picture as a JPEG file beside it.
#include "MainDlg.h"

void TfrmMain::ExtractThumbnail(const std::wstring& /*SldFilename*/) {
    // Preview extraction is not built yet: nothing is read or written.
}

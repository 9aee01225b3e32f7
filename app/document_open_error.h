#pragma once
// The failure of a document that the Document Manager does not open.
#include <string>

// "Dokument "%s" kann nicht geöffnet werden. Fehlercode: %d" with the
// document path as given and the Document Manager's open error code.
std::wstring DocumentOpenErrorText(const std::wstring& documentPath, int openError);

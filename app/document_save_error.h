#pragma once
// The failure of a document that the Document Manager does not save.
#include <string>

// "Dokument "%s" kann nicht gespeichert werden. Fehlercode: %d" with the
// document path as given and the Document Manager's save error code.
std::wstring DocumentSaveErrorText(const std::wstring& documentPath, int saveError);

#pragma once
// Writing the custom properties of a property file into a document through
// the Document Manager.
#include <string>

// Reads the property file (standard input when PropFileName is empty) whole
// and closes it; then opens the document for writing, deletes every listed
// name, adds each anew as a text property with the value of the first entry
// of that name, saves and closes the document. Returns the number of new
// properties and the number of updated ones (see TPropertyTally).
//
// Raises EInOutError when the property file cannot be read, the failures of
// TSwDMOpenDocument when the document cannot be opened, an error naming the
// document and the property when a property that existed was deleted and
// could not be added again (the document is then closed unsaved), and an
// error naming the document and the save error when the document was not
// saved. The document is closed on every path once it is open.
struct TPropertyCounts {
    int AnzNeu = 0;  // new properties
    int AnzAkt = 0;  // updated properties
};
TPropertyCounts UpdateCustomProperties(const std::wstring& SldFileName, const std::wstring& PropFileName);

#pragma once
// Writing the custom properties of a property file into a document through
// the Document Manager.
#include <string>

// Reads the property file (standard input when PropFileName is empty) whole
// and closes it; then opens the document for writing, deletes every listed
// name, adds each anew as a text property with the value of the first entry
// of that name, saves and closes the document. Returns the number of new
// properties and sets AnzAkt to the number of updated ones (see
// TPropertyTally).
//
// Raises EInOutError when the property file cannot be read, an error naming
// the document and the open error when the Document Manager gives no
// document (or no application object), EIntfCastError when the document
// lacks ISwDMDocument10, and an error naming the document and the save error
// when the document was not saved.
int UpdateCustomProperties(const std::wstring& SldFileName, const std::wstring& PropFileName, int& AnzAkt);

#pragma once
// The extension of a document path, as both the document type and the
// preview file name are taken from it.
#include <string>

// The text from the last "." to the end, including the dot, when no "\" and no
// ":" stands after that "."; otherwise the empty string ("/" does not end the
// search).
std::wstring ExtractFileExt(const std::wstring& path);

// text with the letters A to Z changed to a to z; every other character,
// umlauts included, stays as it is.
std::wstring LowerCaseAscii(const std::wstring& text);

// The lower-cased extension of path: LowerCaseAscii(ExtractFileExt(path)).
std::wstring LowerFileExt(const std::wstring& path);

#pragma once
// Path texts, split at the last "\" or drive ":" ("/" is not a delimiter),
// and the names the program takes from a document's path.
#include <string>

// The text after the last "\" or ":".
std::wstring ExtractFileName(const std::wstring& path);
// The text up to and including the last "\" or ":"; empty when there is none.
std::wstring ExtractFilePath(const std::wstring& path);

// The text from the last "." to the end, including the dot, when no "\" and no
// ":" stands after that "."; otherwise the empty string ("/" does not end the
// search).
std::wstring ExtractFileExt(const std::wstring& path);

// text with the letters A to Z changed to a to z; every other character,
// umlauts included, stays as it is.
std::wstring LowerCaseAscii(const std::wstring& text);

// The lower-cased extension of path: LowerCaseAscii(ExtractFileExt(path)).
std::wstring LowerFileExt(const std::wstring& path);

// The name of a document's preview file: the document path with its extension
// (rule of ExtractFileExt) replaced by the extension lower-cased (A to Z only)
// followed by "KS": C:\Docs\Part1.SLDPRT gives C:\Docs\Part1.sldprtKS, a path
// without an extension gets "KS" appended. Taken from the text alone: a
// relative path gives a relative name.
std::wstring PreviewFileName(const std::wstring& documentPath);

#pragma once
// The name of a document's preview file.
#include <string>

// The document path with its extension (rule of ExtractFileExt) replaced by
// the extension lower-cased (A to Z only) followed by "KS": C:\Docs\Part1.SLDPRT
// gives C:\Docs\Part1.sldprtKS, a path without an extension gets "KS" appended.
// Taken from the text alone: a relative path gives a relative name.
std::wstring PreviewFileName(const std::wstring& documentPath);

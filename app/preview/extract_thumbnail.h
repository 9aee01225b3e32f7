#pragma once
// "/T": the document's preview picture as a JPEG file beside it.
#include <string>

// Opens the document read-only and takes its preview picture (the PNG preview
// when the preview gives no picture), draws it into a bitmap and writes that
// as the JPEG file named by PreviewFileName; an empty file when neither gives
// a picture. The document is closed on every path once it is open. Raises the
// failures of opening the document, of the picture and of the file.
void ExtractDocumentThumbnail(const std::wstring& SldFilename);

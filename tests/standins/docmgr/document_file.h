#pragma once
// A stand-in document on disk: an OLE compound file with three streams,
// "Document" (format mark and document type), "CustomProperties" (count, then
// type, name and value of each property in stored order), when there is a
// preview, "Preview" (the BMP file or enhanced metafile as stored) and, when
// there is a PNG preview, "PreviewPNG" (the PNG file as stored).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "custom_properties.h"
#include "handles.h"
#include "swdm_codes.h"

struct TDocumentContent {
    SwDmDocumentType Kind = swDmDocumentUnknown;
    TCustomProperties Properties;
    std::vector<std::uint8_t> Preview;     // empty: no preview
    std::vector<std::uint8_t> PreviewPng;  // empty: no PNG preview
};

// The compound file of content as bytes; a failure result when the storage
// could not be built.
HRESULT EncodeDocument(const TDocumentContent& content, std::vector<std::uint8_t>& bytes);

// content from the bytes of a file; false when they are no stand-in document.
bool DecodeDocument(const std::vector<std::uint8_t>& bytes, TDocumentContent& content);

// Opens the document file for reading (others may read and write) or for
// writing (others may only read, so a second writer is refused until this
// handle is closed). Reports file not found (also for a folder), read-only
// (writing asked for on a read-only file or one another writer holds) or fail.
SwDmDocumentOpenError OpenDocumentFile(const std::wstring& path, bool writing, TFileHandle& file);

// Reads and decodes the whole open file: none, not a document, or fail.
SwDmDocumentOpenError LoadDocument(HANDLE file, TDocumentContent& content);

// Replaces the whole content of the open file by bytes; false on failure,
// with the reason in the last error code.
bool ReplaceFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes);

// Writes content as a new document file at path, replacing any file there;
// 0 or the system error code.
DWORD WriteNewDocument(const std::wstring& path, const TDocumentContent& content);

#pragma once
// The stand-in's COM objects, each made with one reference, or null when
// memory runs out.
#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <vector>

#include "document_file.h"
#include "swdocmgr.h"

// The class object of SwDMClassFactory that DllGetClassObject hands out.
IClassFactory* NewClassObject();

ISwDMApplication* NewApplication();

// An open document; file is the handle held while it is open for writing.
ISwDMDocument10* NewDocument(TDocumentContent content, bool writing, TFileHandle file);

// An OLE picture of the stored preview, owning its bitmap or metafile.
HRESULT CreateStoredPicture(const std::vector<std::uint8_t>& preview, IPicture** picture);

// An OLE bitmap picture of a PNG file's bytes, decoded with the platform's
// imaging component into a 32-bit DIB section: alpha premultiplied when the
// PNG has transparency (an alpha channel or a tRNS chunk), otherwise every
// alpha byte 0.
HRESULT CreatePngPicture(const std::vector<std::uint8_t>& png, IPicture** picture);

// A picture of type none that reports the given size in 0.01 mm.
IDispatch* NewEmptyPicture(long himetricWidth, long himetricHeight);

// An automation object that answers neither IPicture nor IPictureDisp.
IDispatch* NewNonPicture();

// What GetApplication needs before it makes the application object: S_OK, or
// the failure GetApplication answers with. Nothing in the usual builds
// (dependencies_none.cpp); see dependencies_loaded.cpp for the build with
// dependencies.
HRESULT LoadApplicationDependencies() noexcept;

// An open document: its custom properties and preview in memory, written to
// the file by Save while it is open for writing.
#include <wrl/client.h>

#include <new>

#include "bstr.h"
#include "com_object.h"
#include "fault_injection.h"
#include "standin_objects.h"

using Microsoft::WRL::ComPtr;

namespace {

// The size an empty picture reports when the document holds no preview.
const long cDefaultHimetricWidth = 2540;
const long cDefaultHimetricHeight = 1270;

class TSwDMDocument final : public TComObject<ISwDMDocument10> {
public:
    TSwDMDocument(TDocumentContent content, bool writing, TFileHandle file)
        : fContent(std::move(content)), fWriting(writing), fFile(std::move(file)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_ISwDMDocument) return Hand(static_cast<ISwDMDocument10*>(this), object);
        if (iid == IID_ISwDMDocument10 && !FaultActive(TFault::Revision10)) {
            return Hand(static_cast<ISwDMDocument10*>(this), object);
        }
        return Hand(nullptr, object);
    }

    // Ends the work on the document: unsaved changes are dropped and other
    // writers may open the file again.
    HRESULT STDMETHODCALLTYPE CloseDoc() override {
        fClosed = true;
        fFile.Reset();
        fContent = TDocumentContent();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCustomPropertyCount(long* Count) override {
        if (!Count) return E_POINTER;
        *Count = 0;
        if (fClosed) return E_UNEXPECTED;
        *Count = fContent.Properties.Count();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE AddCustomProperty(BSTR FieldName, SwDmCustomInfoType FieldType, BSTR FieldValue,
                                                VARIANT_BOOL* Success) override {
        if (!Success) return E_POINTER;
        *Success = VARIANT_FALSE;
        if (fClosed) return E_UNEXPECTED;
        if (FaultActive(TFault::Add)) return S_OK;
        try {
            if (fContent.Properties.Add(TBstr::ToWString(FieldName), FieldType, TBstr::ToWString(FieldValue))) {
                *Success = VARIANT_TRUE;
            }
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DeleteCustomProperty(BSTR FieldName, VARIANT_BOOL* Success) override {
        if (!Success) return E_POINTER;
        *Success = VARIANT_FALSE;
        if (fClosed) return E_UNEXPECTED;
        try {
            if (fContent.Properties.Delete(TBstr::ToWString(FieldName))) *Success = VARIANT_TRUE;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Save(SwDmDocumentSaveError* Result) override {
        if (!Result) return E_POINTER;
        *Result = swDmDocumentSaveErrorFail;
        if (fClosed) return E_UNEXPECTED;
        if (!fWriting) {
            *Result = swDmDocumentSaveErrorReadOnly;
            return S_OK;
        }
        if (FaultActive(TFault::Save)) return S_OK;
        try {
            std::vector<std::uint8_t> bytes;
            if (SUCCEEDED(EncodeDocument(fContent, bytes)) && ReplaceFileBytes(fFile.Get(), bytes)) {
                *Result = swDmDocumentSaveErrorNone;
            }
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPreviewBitmap(SwDmPreviewError* Result, IDispatch** Picture) override {
        if (!Result || !Picture) return E_POINTER;
        *Picture = nullptr;
        *Result = swDmPreviewErrorNoPreview;
        if (fClosed) return E_UNEXPECTED;
        if (FaultActive(TFault::Preview)) return E_FAIL;
        if (FaultActive(TFault::NotPicture)) return HandOut(NewNonPicture(), Result, Picture);
        if (FaultActive(TFault::EmptyPicture)) return HandOut(EmptyPicture(), Result, Picture);
        if (fContent.Preview.empty()) return S_OK;
        ComPtr<IPicture> picture;
        HRESULT hr = CreateStoredPicture(fContent.Preview, &picture);
        if (FAILED(hr)) return hr;
        hr = picture->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(Picture));
        if (SUCCEEDED(hr)) *Result = swDmPreviewErrorNone;
        return hr;
    }

private:
    static HRESULT HandOut(IDispatch* object, SwDmPreviewError* Result, IDispatch** Picture) {
        if (!object) return E_OUTOFMEMORY;
        *Picture = object;
        *Result = swDmPreviewErrorNone;
        return S_OK;
    }

    // A picture of type none with the stored preview's size, or a fixed size
    // when there is none.
    IDispatch* EmptyPicture() const {
        long width = cDefaultHimetricWidth;
        long height = cDefaultHimetricHeight;
        ComPtr<IPicture> picture;
        if (!fContent.Preview.empty() && SUCCEEDED(CreateStoredPicture(fContent.Preview, &picture))) {
            picture->get_Width(&width);
            picture->get_Height(&height);
        }
        return NewEmptyPicture(width, height);
    }

    TDocumentContent fContent;
    bool fWriting;
    TFileHandle fFile;
    bool fClosed = false;
};

}  // namespace

ISwDMDocument10* NewDocument(TDocumentContent content, bool writing, TFileHandle file) {
    return new (std::nothrow) TSwDMDocument(std::move(content), writing, std::move(file));
}

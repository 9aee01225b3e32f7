// An open document: its custom properties and preview in memory, written to
// the file by Save while it is open for writing.
#include <wrl/client.h>

#include <new>

#include "bstr.h"
#include "call_log.h"
#include "com_object.h"
#include "crashes.h"
#include "fault_injection.h"
#include "standin_objects.h"

using Microsoft::WRL::ComPtr;

namespace {

// The size an empty picture reports when the document holds no preview.
const long cDefaultHimetricWidth = 2540;
const long cDefaultHimetricHeight = 1270;

const char* const cInterfaceName = "Document";

// A slot of the vendor's layout that the stand-in does not build.
#define STANDIN_NOT_BUILT(slot, name) \
    HRESULT STDMETHODCALLTYPE name() override { return NotBuilt(cInterfaceName, slot, #name); }

bool IsDocumentInterface(REFIID iid) {
    return iid == IID_ISwDMDocument || iid == IID_ISwDMDocument2 || iid == IID_ISwDMDocument3 ||
           iid == IID_ISwDMDocument4 || iid == IID_ISwDMDocument5 || iid == IID_ISwDMDocument6 ||
           iid == IID_ISwDMDocument7 || iid == IID_ISwDMDocument8 || iid == IID_ISwDMDocument9;
}

// The document with the whole revision chain; revision 10 (and so the
// document calls of the program) can be refused by the fault "revision10".
class TSwDMDocument final : public TComObject<ISwDMDocument10> {
public:
    TSwDMDocument(TDocumentContent content, bool writing, TFileHandle file)
        : fContent(std::move(content)), fWriting(writing), fFile(std::move(file)) {}
    // Runs in the last Release.
    ~TSwDMDocument() override { HangWhenAsked(TFault::HangRelease); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || IsDocumentInterface(iid)) return Hand(static_cast<ISwDMDocument10*>(this), object);
        if (iid == IID_ISwDMDocument10 && !FaultActive(TFault::Revision10)) {
            return Hand(static_cast<ISwDMDocument10*>(this), object);
        }
        return Hand(nullptr, object);
    }

    // Ends the work on the document: unsaved changes are dropped and other
    // writers may open the file again.
    STANDIN_NOT_BUILT(0, get_Application)
    STANDIN_NOT_BUILT(1, get_FullName)
    STANDIN_NOT_BUILT(2, GetAllExternalReferences)
    STANDIN_NOT_BUILT(3, WhereUsed)
    STANDIN_NOT_BUILT(4, get_ConfigurationManager)
    STANDIN_NOT_BUILT(5, GetEDrawingsData)
    STANDIN_NOT_BUILT(6, ReplaceReference)
    STANDIN_NOT_BUILT(7, GetLastUpdateStamp)
    STANDIN_NOT_BUILT(9, GetCustomProperty)
    STANDIN_NOT_BUILT(10, SetCustomProperty)
    STANDIN_NOT_BUILT(13, GetCustomPropertyNames)
    STANDIN_NOT_BUILT(14, GetVersion)
    STANDIN_NOT_BUILT(16, get_Title)
    STANDIN_NOT_BUILT(17, put_Title)
    STANDIN_NOT_BUILT(18, get_Subject)
    STANDIN_NOT_BUILT(19, put_Subject)
    STANDIN_NOT_BUILT(20, get_Author)
    STANDIN_NOT_BUILT(21, put_Author)
    STANDIN_NOT_BUILT(22, get_Keywords)
    STANDIN_NOT_BUILT(23, put_Keywords)
    STANDIN_NOT_BUILT(24, get_Comments)
    STANDIN_NOT_BUILT(25, put_Comments)
    STANDIN_NOT_BUILT(26, get_LastSavedBy)
    STANDIN_NOT_BUILT(27, get_CreationDate)
    STANDIN_NOT_BUILT(28, get_LastSavedDate)
    STANDIN_NOT_BUILT(29, GetHyperLinksCount)
    STANDIN_NOT_BUILT(30, GetHyperLinkAt)
    STANDIN_NOT_BUILT(31, ModifyHyperLinkAt)
    STANDIN_NOT_BUILT(32, IsDetachedDrawing)
    STANDIN_NOT_BUILT(34, SaveAs)
    STANDIN_NOT_BUILT(35, get_ToolboxPart)
    STANDIN_NOT_BUILT(36, put_ToolboxPart)
    STANDIN_NOT_BUILT(37, GetXmlStream)
    STANDIN_NOT_BUILT(38, AddInvisibleCustomProperty)
    STANDIN_NOT_BUILT(39, GetInvisibleCustomProperty)
    STANDIN_NOT_BUILT(40, SetInvisibleCustomProperty)
    STANDIN_NOT_BUILT(41, DeleteInvisibleCustomProperty)
    STANDIN_NOT_BUILT(42, GetInvisibleCustomPropertyCount)
    STANDIN_NOT_BUILT(43, GetInvisibleCustomPropertyNames)
    STANDIN_NOT_BUILT(44, GetAllCustomPropertyNamesAndValues)
    STANDIN_NOT_BUILT(45, GetSheetCount)
    STANDIN_NOT_BUILT(46, GetActiveSheetName)
    STANDIN_NOT_BUILT(47, GetCustomPropertyValues)
    STANDIN_NOT_BUILT(48, GetLinkedAttachments)
    STANDIN_NOT_BUILT(49, GetAllExternalReferences2)
    STANDIN_NOT_BUILT(50, GetSheetNames)
    STANDIN_NOT_BUILT(51, IsSmartComponentDocument)
    STANDIN_NOT_BUILT(52, GetChangedReferences)
    STANDIN_NOT_BUILT(53, GetKeyWordStream)
    STANDIN_NOT_BUILT(54, GetComponentCount)
    STANDIN_NOT_BUILT(55, GetKeyWordStream2)
    STANDIN_NOT_BUILT(56, get_PreviewStreamName)
    STANDIN_NOT_BUILT(58, get_PreviewPNGStreamName)
    STANDIN_NOT_BUILT(60, GetTableNames)
    STANDIN_NOT_BUILT(61, GetTable)
    STANDIN_NOT_BUILT(62, GetViews)
    STANDIN_NOT_BUILT(63, GetSheets)
    STANDIN_NOT_BUILT(64, GetCutListItems)

    HRESULT STDMETHODCALLTYPE CloseDoc() override {
        LogCall(cInterfaceName, 15, "CloseDoc");
        DelayCloseWhenAsked();
        HangWhenAsked(TFault::HangClose);
        fClosed = true;
        fFile.Reset();
        fContent = TDocumentContent();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCustomPropertyCount(long* Count) override {
        LogCall(cInterfaceName, 12, "GetCustomPropertyCount");
        if (!Count) return E_POINTER;
        *Count = 0;
        if (fClosed) return E_UNEXPECTED;
        *Count = fContent.Properties.Count();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE AddCustomProperty(BSTR FieldName, SwDmCustomInfoType FieldType, BSTR FieldValue,
                                                VARIANT_BOOL* Success) override {
        LogCall(cInterfaceName, 8, "AddCustomProperty");
        if (!Success) return E_POINTER;
        *Success = VARIANT_FALSE;
        if (fClosed) return E_UNEXPECTED;
        if (FaultActive(TFault::Add)) return S_OK;
        HangWhenAsked(TFault::HangAdd);
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
        LogCall(cInterfaceName, 11, "DeleteCustomProperty");
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
        LogCall(cInterfaceName, 33, "Save");
        if (!Result) return E_POINTER;
        *Result = swDmDocumentSaveErrorFail;
        if (fClosed) return E_UNEXPECTED;
        if (!fWriting) {
            *Result = swDmDocumentSaveErrorReadOnly;
            return S_OK;
        }
        if (FaultActive(TFault::Save)) return S_OK;
        HangWhenAsked(TFault::HangSave);
        CrashThreadDuringSaveWhenAsked();
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
        LogCall(cInterfaceName, 57, "GetPreviewBitmap");
        if (!Result || !Picture) return E_POINTER;
        *Picture = nullptr;
        *Result = swDmPreviewErrorNoPreview;
        if (fClosed) return E_UNEXPECTED;
        HangWhenAsked(TFault::HangPreview);
        CrashWhenAsked();
        if (FaultActive(TFault::Preview)) return E_FAIL;
        if (FaultActive(TFault::NotPicture)) return HandOut(NewNonPicture(), Result, Picture);
        if (FaultActive(TFault::EmptyPicture)) return HandOut(EmptyPicture(), Result, Picture);
        if (fContent.Preview.empty()) return S_OK;
        ComPtr<IPicture> picture;
        const HRESULT hr = CreateStoredPicture(fContent.Preview, &picture);
        if (FAILED(hr)) return hr;
        return HandOutPicture(picture.Get(), Result, Picture);
    }

    // The preview stored as PNG, as a bitmap picture; none when the document
    // holds no PNG preview.
    HRESULT STDMETHODCALLTYPE GetPreviewPNGBitmap(SwDmPreviewError* Result, IDispatch** Picture) override {
        LogCall(cInterfaceName, 59, "GetPreviewPNGBitmap");
        if (!Result || !Picture) return E_POINTER;
        *Picture = nullptr;
        *Result = swDmPreviewErrorNoPreview;
        if (fClosed) return E_UNEXPECTED;
        if (FaultActive(TFault::Preview)) return E_FAIL;
        if (fContent.PreviewPng.empty()) return S_OK;
        ComPtr<IPicture> picture;
        const HRESULT hr = CreatePngPicture(fContent.PreviewPng, &picture);
        if (FAILED(hr)) {
            *Result = swDmPreviewErrorMakeBmpFail;
            return hr;
        }
        return HandOutPicture(picture.Get(), Result, Picture);
    }

private:
    static HRESULT HandOutPicture(IPicture* picture, SwDmPreviewError* Result, IDispatch** Picture) {
        const HRESULT hr = picture->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(Picture));
        if (SUCCEEDED(hr)) *Result = swDmPreviewErrorNone;
        return hr;
    }

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

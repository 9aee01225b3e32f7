// The application object: opens documents.
#include <new>

#include "bstr.h"
#include "call_log.h"
#include "com_object.h"
#include "crashes.h"
#include "fault_injection.h"
#include "standin_objects.h"

namespace {

const char* const cInterfaceName = "Application";

class TSwDMApplication final : public TComObject<ISwDMApplication> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_ISwDMApplication) return Hand(static_cast<ISwDMApplication*>(this), object);
        return Hand(nullptr, object);
    }

    // A document whose stored type differs from DocType is not of this kind.
    HRESULT STDMETHODCALLTYPE GetDocument(BSTR FullPathName, SwDmDocumentType DocType, VARIANT_BOOL AllowReadOnly,
                                          SwDmDocumentOpenError* Result, ISwDMDocument** Document) override {
        LogCall(cInterfaceName, 0, "GetDocument");
        if (!Result || !Document) return E_POINTER;
        *Document = nullptr;
        *Result = swDmDocumentOpenErrorFail;
        if (FaultActive(TFault::Document)) return S_OK;
        HangWhenAsked(TFault::HangOpen);
        InstallSilentFilterWhenAsked(TFault::CrashFilterLate);
        try {
            const bool writing = AllowReadOnly == VARIANT_FALSE;
            TFileHandle file;
            *Result = OpenDocumentFile(TBstr::ToWString(FullPathName), writing, file);
            if (*Result != swDmDocumentOpenErrorNone) return S_OK;
            TDocumentContent content;
            *Result = LoadDocument(file.Get(), content);
            if (*Result == swDmDocumentOpenErrorNone && content.Kind != DocType) *Result = swDmDocumentOpenErrorNonSW;
            if (*Result != swDmDocumentOpenErrorNone) return S_OK;
            if (!writing) file.Reset();
            *Document = NewDocument(std::move(content), writing, std::move(file));
            if (*Document) return S_OK;
        } catch (...) {
        }
        *Result = swDmDocumentOpenErrorFail;
        return E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE CopyDocument() override { return NotBuilt(cInterfaceName, 1, "CopyDocument"); }
    HRESULT STDMETHODCALLTYPE MoveDocument() override { return NotBuilt(cInterfaceName, 2, "MoveDocument"); }
    HRESULT STDMETHODCALLTYPE GetSearchOptionObject() override {
        return NotBuilt(cInterfaceName, 3, "GetSearchOptionObject");
    }
    HRESULT STDMETHODCALLTYPE GetLatestSupportedFileVersion(long* Version) override {
        if (Version) *Version = 0;
        return NotBuilt(cInterfaceName, 4, "GetLatestSupportedFileVersion");
    }
};

}  // namespace

ISwDMApplication* NewApplication() { return new (std::nothrow) TSwDMApplication(); }

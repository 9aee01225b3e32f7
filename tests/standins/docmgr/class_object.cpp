// The class object and the SwDMClassFactory object it makes.
#include <new>
#include <optional>
#include <string>

#include "call_log.h"
#include "com_object.h"
#include "crashes.h"
#include "environment_scope.h"
#include "fault_injection.h"
#include "standin_objects.h"

namespace {

const wchar_t* const cAcceptedLicenseVariable = L"KESTRUM_DOCMGR_ACCEPTED_LICENSE";

bool LicenseAccepted(BSTR key) {
    const std::optional<std::wstring> accepted = EnvironmentValue(cAcceptedLicenseVariable);
    if (!accepted) return true;
    // A BSTR carries its length; a null one is the empty string.
    const std::wstring given = key ? std::wstring(key, ::SysStringLen(key)) : std::wstring();
    return given == *accepted;
}

class TSwDMClassFactory final : public TComObject<ISwDMClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown) return Hand(static_cast<ISwDMClassFactory*>(this), object);
        if (iid == IID_ISwDMClassFactory && !FaultActive(TFault::ClassFactory)) {
            return Hand(static_cast<ISwDMClassFactory*>(this), object);
        }
        return Hand(nullptr, object);
    }

    // The license key is neither kept nor shown. Any key is taken unless
    // KESTRUM_DOCMGR_ACCEPTED_LICENSE is set: then only the key it holds, to
    // the character. A refused key (that way, or fault "license") answers as
    // the vendor's does: CLASS_E_NOTLICENSED and no object.
    HRESULT STDMETHODCALLTYPE GetApplication(BSTR LicKey, ISwDMApplication** application) override {
        LogCall("ClassFactory", 0, "GetApplication");
        if (!application) return E_POINTER;
        *application = nullptr;
        const HRESULT loaded = LoadApplicationDependencies();
        if (FAILED(loaded)) return loaded;
        if (!LicenseAccepted(LicKey) || FaultActive(TFault::License)) return CLASS_E_NOTLICENSED;
        if (FaultActive(TFault::Application)) return S_OK;
        InstallSilentFilterWhenAsked(TFault::CrashFilter);
        *application = NewApplication();
        return *application ? S_OK : E_OUTOFMEMORY;
    }
};

class TClassObject final : public TComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) return Hand(static_cast<IClassFactory*>(this), object);
        return Hand(nullptr, object);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        InstallSilentFilterOnEveryCallWhenAsked();
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FaultActive(TFault::Instance)) return E_OUTOFMEMORY;
        auto* factory = new (std::nothrow) TSwDMClassFactory();
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ModuleLock();
        } else {
            ModuleUnlock();
        }
        return S_OK;
    }
};

}  // namespace

IClassFactory* NewClassObject() { return new (std::nothrow) TClassObject(); }

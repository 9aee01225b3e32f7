#pragma once
// Reference counting of the server's objects, and the count of live objects
// and server locks that tells whether the DLL may be unloaded.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "crashes.h"

// Server locks (IClassFactory::LockServer).
void ModuleLock() noexcept;
void ModuleUnlock() noexcept;
// Objects of the server alive now; tests read the count through the export
// StandInLiveObjectCount.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
// Any live object or server lock.
bool ModuleInUse() noexcept;
HMODULE ModuleHandle() noexcept;

// Base of an object that implements Interfaces; the derived class supplies
// QueryInterface. Objects start with one reference.
template <typename... Interfaces>
class TComObject : public Interfaces... {
public:
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++fReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        InstallSilentFilterOnEveryCallWhenAsked();
        const ULONG left = --fReferences;
        if (left == 0) delete this;
        return left;
    }

protected:
    TComObject() noexcept { ObjectCreated(); }
    virtual ~TComObject() { ObjectDestroyed(); }

    // Hands out itf with a reference, or E_NOINTERFACE when it is null.
    static HRESULT Hand(IUnknown* itf, void** out) noexcept {
        if (!out) return E_POINTER;
        *out = itf;
        if (!itf) return E_NOINTERFACE;
        itf->AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> fReferences{1};
};

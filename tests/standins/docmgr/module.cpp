// The DLL's entry points for COM: the class object and whether it may be unloaded.
#include <windows.h>
#include <combaseapi.h>

#include <atomic>
#include <new>

#include "com_object.h"
#include "standin_objects.h"
#include "swdocmgr.h"

namespace {
std::atomic<long> gLocks{0};
HMODULE gModule = nullptr;
}  // namespace

void ModuleLock() noexcept { ++gLocks; }
void ModuleUnlock() noexcept { --gLocks; }
bool ModuleInUse() noexcept { return gLocks > 0; }
HMODULE ModuleHandle() noexcept { return gModule; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (classId != CLSID_SwDMClassFactory) return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* classObject = NewClassObject();
    if (!classObject) return E_OUTOFMEMORY;
    const HRESULT hr = classObject->QueryInterface(iid, object);
    classObject->Release();
    return hr;
}

STDAPI DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

// The DLL's entry points for COM: the class object and whether it may be
// unloaded; and, for tests, the number of live objects.
#include <windows.h>
#include <combaseapi.h>

#include <atomic>
#include <new>

#include "com_object.h"
#include "standin_objects.h"
#include "swdocmgr.h"

namespace {
std::atomic<long> gLocks{0};
std::atomic<long> gObjects{0};
HMODULE gModule = nullptr;
}  // namespace

void ModuleLock() noexcept { ++gLocks; }
void ModuleUnlock() noexcept { --gLocks; }
void ObjectCreated() noexcept { ++gObjects; }
void ObjectDestroyed() noexcept { --gObjects; }
bool ModuleInUse() noexcept { return gObjects > 0 || gLocks > 0; }
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

// Objects made by this server and not yet released to the end: class objects,
// class factories, application and document objects, pictures of its own.
// Pictures made by OLE (bitmaps and metafiles) are not among them.
extern "C" LONG STDAPICALLTYPE StandInLiveObjectCount() { return gObjects; }

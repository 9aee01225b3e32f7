// The module of a faulting address, named without the loader: the program's
// own image, a system library, a library loaded and freed again, and
// addresses in no image at all; and the name comes while another thread
// holds the loader lock.
#include "fault_module.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "errors.h"
#include "files.h"
#include "handles.h"
#include "param_name.h"
#include "paths.h"
#include "temp_folder.h"

namespace {

const wchar_t* const cProbeLibrary = L"fault_module_library.dll";

int ProgramFunction() { return 1; }

// An address inside the code of a loaded module: past its headers.
const void* InsideModule(HMODULE module) { return reinterpret_cast<const char*>(module) + 0x1000; }

// The library of the tests loaded beside this program; freed at the end.
struct TProbeLibrary {
    HMODULE Module = ::LoadLibraryW((ProgramFolder() + cProbeLibrary).c_str());
    ~TProbeLibrary() {
        if (Module) ::FreeLibrary(Module);
    }
    const void* Function() const {
        return Module ? reinterpret_cast<const void*>(::GetProcAddress(Module, "FaultModuleProbe")) : nullptr;
    }
};

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

struct ModuleCase {
    const char* name;
    // Gives the address looked at while it is valid, or ends the test (a
    // failure) when it cannot be had; keeps in hold what must outlive it.
    std::function<const void*(std::shared_ptr<void>& hold)> address;
    std::function<std::wstring()> expected;  // empty: no module
};
void PrintTo(const ModuleCase& c, std::ostream* os) { *os << c.name; }

class ModuleNameTest : public testing::TestWithParam<ModuleCase> {};

TEST_P(ModuleNameTest, NamesTheImageThatHoldsTheAddress) {
    const ModuleCase& c = GetParam();
    std::shared_ptr<void> hold;
    const void* address = c.address(hold);
    if (HasFatalFailure()) return;
    const TModuleName name = ModuleNameAt(address);
    const std::wstring expected = c.expected();
    if (expected.empty()) {
        EXPECT_TRUE(name.Empty()) << "named " << Utf8Text(name.Text);
    } else {
        EXPECT_TRUE(SameName(name.Text, expected)) << "named " << Utf8Text(name.Text) << ", not " << Utf8Text(expected);
    }
}

std::wstring NoModule() { return std::wstring(); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleNameTest,
    testing::Values(
        ModuleCase{"ProgramImage",
                   [](std::shared_ptr<void>&) { return reinterpret_cast<const void*>(&ProgramFunction); },
                   [] { return ExtractFileName(ProgramPath()); }},
        ModuleCase{"Kernel32",
                   [](std::shared_ptr<void>&) { return InsideModule(::GetModuleHandleW(L"kernel32.dll")); },
                   [] { return std::wstring(L"kernel32.dll"); }},
        ModuleCase{"LoadedLibrary",
                   [](std::shared_ptr<void>& hold) -> const void* {
                       auto library = std::make_shared<TProbeLibrary>();
                       hold = library;
                       EXPECT_NE(library->Function(), nullptr) << "the library could not be loaded";
                       return library->Function();
                   },
                   [] { return std::wstring(cProbeLibrary); }},
        ModuleCase{"FreedLibrary",
                   [](std::shared_ptr<void>&) -> const void* {
                       const void* function = TProbeLibrary().Function();
                       EXPECT_NE(function, nullptr) << "the library could not be loaded";
                       EXPECT_EQ(::GetModuleHandleW(cProbeLibrary), nullptr) << "the library is still loaded";
                       return function;
                   },
                   &NoModule},
        ModuleCase{"Null", [](std::shared_ptr<void>&) -> const void* { return nullptr; }, &NoModule},
        ModuleCase{"Heap",
                   [](std::shared_ptr<void>& hold) -> const void* {
                       hold = std::make_shared<std::string>(1000, 'x');
                       return static_cast<std::string*>(hold.get())->data();
                   },
                   &NoModule},
        // A view of a data file: mapped from a file, but no image.
        ModuleCase{"MappedDataFile",
                   [](std::shared_ptr<void>& hold) -> const void* {
                       auto folder = std::make_shared<TTempFolder>();
                       const std::wstring path = folder->File(L"data.dll");
                       WriteTestFile(path, std::string(4096, 'd'));
                       const TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                            OPEN_EXISTING, 0, nullptr));
                       const TKernelHandle mapping(
                           file ? ::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
                       auto view = std::make_shared<TMappedView>(
                           mapping ? ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
                       EXPECT_TRUE(*view) << "the file could not be mapped";
                       // The view goes before its folder.
                       hold = std::shared_ptr<void>(view.get(), [view, folder](void*) mutable {
                           view.reset();
                           folder.reset();
                       });
                       return view->Get();
                   },
                   &NoModule}),
    TParamName());

// LdrLockLoaderLock and LdrUnlockLoaderLock of ntdll.
using TLdrLockLoaderLock = LONG(NTAPI*)(ULONG flags, ULONG* disposition, ULONG_PTR* cookie);
using TLdrUnlockLoaderLock = LONG(NTAPI*)(ULONG flags, ULONG_PTR cookie);

// A thread that holds the loader lock, as a library that hangs in its
// start-up code would, until it is let go.
class TLoaderLockHolder {
public:
    TLoaderLockHolder() {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        fLock = reinterpret_cast<TLdrLockLoaderLock>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "LdrLockLoaderLock")));
        fUnlock = reinterpret_cast<TLdrUnlockLoaderLock>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
        if (!fLock || !fUnlock || !fTaken || !fRelease) return;
        fThread.Reset(::CreateThread(nullptr, 0, &Hold, this, 0, nullptr));
        if (fThread) ::WaitForSingleObject(fTaken.Get(), 10000);
    }
    ~TLoaderLockHolder() {
        if (!fThread) return;
        ::SetEvent(fRelease.Get());
        ::WaitForSingleObject(fThread.Get(), 10000);
    }
    TLoaderLockHolder(const TLoaderLockHolder&) = delete;
    TLoaderLockHolder& operator=(const TLoaderLockHolder&) = delete;
    bool Holds() const noexcept { return fHeld; }

private:
    static DWORD WINAPI Hold(void* parameter) {
        auto& holder = *static_cast<TLoaderLockHolder*>(parameter);
        ULONG_PTR cookie = 0;
        holder.fHeld = holder.fLock(0, nullptr, &cookie) >= 0;
        ::SetEvent(holder.fTaken.Get());
        if (!holder.fHeld) return 1;
        ::WaitForSingleObject(holder.fRelease.Get(), INFINITE);
        holder.fUnlock(0, cookie);
        return 0;
    }

    TLdrLockLoaderLock fLock = nullptr;
    TLdrUnlockLoaderLock fUnlock = nullptr;
    TKernelHandle fTaken{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle fRelease{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle fThread;
    bool fHeld = false;
};

// The lookup on a thread of its own, made before the lock is taken (a thread
// cannot start while another holds it), which waits for the word to go.
struct TLookup {
    TKernelHandle Go{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle Done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const void* Address = nullptr;
    TModuleName Name;

    static DWORD WINAPI Run(void* parameter) {
        auto& lookup = *static_cast<TLookup*>(parameter);
        ::WaitForSingleObject(lookup.Go.Get(), INFINITE);
        lookup.Name = ModuleNameAt(lookup.Address);
        ::SetEvent(lookup.Done.Get());
        return 0;
    }
};

TEST(ModuleNameAt, ComesWhileAnotherThreadHoldsTheLoaderLock) {
    TLookup lookup;
    lookup.Address = InsideModule(::GetModuleHandleW(L"kernel32.dll"));
    ASSERT_TRUE(lookup.Go && lookup.Done);
    const TKernelHandle thread(::CreateThread(nullptr, 0, &TLookup::Run, &lookup, 0, nullptr));
    ASSERT_TRUE(thread);
    {
        const TLoaderLockHolder holder;
        ASSERT_TRUE(holder.Holds()) << "the loader lock could not be taken";
        ::SetEvent(lookup.Go.Get());
        EXPECT_EQ(::WaitForSingleObject(lookup.Done.Get(), 1000), WAIT_OBJECT_0) << "the lookup waits for the loader";
    }  // the lock is let go: a lookup still waiting ends now
    ASSERT_EQ(::WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(SameName(lookup.Name.Text, L"kernel32.dll")) << Utf8Text(lookup.Name.Text);
}

}  // namespace

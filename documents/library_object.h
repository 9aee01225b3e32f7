#pragma once
// A reference to an object of the Document Manager through which every call
// into the library is a TLibraryCall (library_call.h): the program's filter
// for unhandled structured exceptions is put back afterwards (the library may
// put in one of its own in any of its methods, and a fault after that would
// end in the library's crash reporter, or silently, instead of in the
// program's box), and the call is bounded by the watchdog while it runs.
#include <wrl/client.h>

#include <utility>

#include "com_support.h"
#include "library_call.h"

template <typename Interface>
class TLibraryObject {
public:
    // One call: the object's method runs while the call lives, and the
    // call ends (the program's filter put back) after the call's full
    // expression, whether the method returns or a failure is raised.
    class TCall {
    public:
        TCall(Interface* object, TLibraryCallKind kind) noexcept : fObject(object), fCall(kind) {}
        TCall(const TCall&) = delete;
        TCall& operator=(const TCall&) = delete;
        Interface* operator->() const noexcept { return fObject; }

    private:
        Interface* fObject;
        TLibraryCall fCall;
    };

    TLibraryObject() noexcept = default;
    explicit TLibraryObject(Microsoft::WRL::ComPtr<Interface> object) noexcept : fObject(std::move(object)) {}
    ~TLibraryObject() { Reset(); }
    TLibraryObject(TLibraryObject&& other) noexcept : fObject(std::move(other.fObject)) {}
    TLibraryObject& operator=(TLibraryObject&& other) noexcept {
        if (this != &other) {
            Reset();
            // Swapped: a ComPtr's move assignment copies with some compilers' headers.
            fObject.Swap(other.fObject);
        }
        return *this;
    }
    TLibraryObject(const TLibraryObject&) = delete;
    TLibraryObject& operator=(const TLibraryObject&) = delete;

    // object->Method(...): an ordinary call of the operation.
    TCall operator->() const noexcept { return TCall(fObject.Get(), TLibraryCallKind::Ordinary); }
    // object.Call(kind)->Method(...): a call of another kind (a save).
    TCall Call(TLibraryCallKind kind) const noexcept { return TCall(fObject.Get(), kind); }
    Interface* Get() const noexcept { return fObject.Get(); }
    explicit operator bool() const noexcept { return fObject != nullptr; }

    // Hands the reference over, as it is, to the caller (no call).
    Microsoft::WRL::ComPtr<Interface> Take() noexcept { return std::move(fObject); }

    // Releases the reference; the last one runs the library's clean-up.
    void Reset() noexcept {
        if (!fObject) return;
        const TLibraryCall release;
        fObject.Reset();
    }

private:
    Microsoft::WRL::ComPtr<Interface> fObject;
};

// The interface Target of an object of the library, asked for in one call
// (the object's QueryInterface is the library's code). No object gives none;
// an object that refuses the interface raises EIntfCastError.
template <typename Target>
TLibraryObject<Target> LibraryCast(IUnknown* object) {
    const TLibraryCall call;
    return TLibraryObject<Target>(InterfaceCast<Target>(object));
}

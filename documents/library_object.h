#pragma once
// A reference to an object of the Document Manager through which every call
// into the library puts the program's filter for unhandled structured
// exceptions back afterwards: the library may put in one of its own in any
// of its methods (and a fault after that would end in the library's crash
// reporter, or silently, instead of in the program's box).
#include <wrl/client.h>

#include <utility>

#include "exception_filter.h"

template <typename Interface>
class TLibraryObject {
public:
    // One call: the object's method runs while the call lives, and the
    // program's filter is put back when it ends, after the call's full
    // expression, whether the method returns or a failure is raised.
    class TCall {
    public:
        explicit TCall(Interface* object) noexcept : fObject(object) {}
        TCall(const TCall&) = delete;
        TCall& operator=(const TCall&) = delete;
        Interface* operator->() const noexcept { return fObject; }

    private:
        Interface* fObject;
        TProgramFilterRestorer fRestorer;
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

    // object->Method(...) calls the method and then puts the filter back.
    TCall operator->() const noexcept { return TCall(fObject.Get()); }
    Interface* Get() const noexcept { return fObject.Get(); }
    explicit operator bool() const noexcept { return fObject != nullptr; }

    // Releases the reference; the last one runs the library's clean-up.
    void Reset() noexcept {
        if (!fObject) return;
        const TProgramFilterRestorer restorer;
        fObject.Reset();
    }

private:
    Microsoft::WRL::ComPtr<Interface> fObject;
};

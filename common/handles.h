#pragma once
// Move-only owners of Windows handles. Kernel handles come in two kinds: those
// whose invalid value is null (processes, threads, events) and those whose
// invalid value is INVALID_HANDLE_VALUE (files, find handles).
#include <windows.h>

#include <utility>

template <typename T, typename Traits>
class TUniqueHandle {
public:
    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(T value) noexcept : fValue(value) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(TUniqueHandle&& other) noexcept : fValue(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    T Get() const noexcept { return fValue; }
    bool Valid() const noexcept { return fValue != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }
    T Release() noexcept { return std::exchange(fValue, Traits::Invalid()); }
    void Reset(T value = Traits::Invalid()) noexcept {
        T old = std::exchange(fValue, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    T fValue = Traits::Invalid();
};

// Which value marks a handle of a kind as none: null, or INVALID_HANDLE_VALUE
// (what CreateFileW and FindFirstFileW give on failure).
enum class TNoHandle { Null, InvalidValue };

// A kind of handle: its type, the platform call that closes it, and its
// "none" value.
template <typename T, auto CloseFunction, TNoHandle NoHandle = TNoHandle::Null>
struct THandleTraits {
    static T Invalid() noexcept {
        if constexpr (NoHandle == TNoHandle::Null) {
            return nullptr;
        } else {
            return INVALID_HANDLE_VALUE;
        }
    }
    static void Close(T handle) noexcept { CloseFunction(handle); }
};

using TKernelHandle = TUniqueHandle<HANDLE, THandleTraits<HANDLE, &::CloseHandle>>;  // null is invalid
using TFileHandle = TUniqueHandle<HANDLE, THandleTraits<HANDLE, &::CloseHandle, TNoHandle::InvalidValue>>;
using TFindHandle = TUniqueHandle<HANDLE, THandleTraits<HANDLE, &::FindClose, TNoHandle::InvalidValue>>;
using TFontHandle = TUniqueHandle<HFONT, THandleTraits<HFONT, &::DeleteObject>>;
using TBitmapHandle = TUniqueHandle<HBITMAP, THandleTraits<HBITMAP, &::DeleteObject>>;
using TWindowHandle = TUniqueHandle<HWND, THandleTraits<HWND, &::DestroyWindow>>;
using TMemoryDC = TUniqueHandle<HDC, THandleTraits<HDC, &::DeleteDC>>;  // made with CreateCompatibleDC

// A device context taken with GetDC, given back with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : fWindow(window), fDC(::GetDC(window)) {}
    ~TWindowDC() {
        if (fDC) ::ReleaseDC(fWindow, fDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const noexcept { return fDC; }

private:
    HWND fWindow;
    HDC fDC;
};

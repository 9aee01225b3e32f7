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

struct TNullHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct TInvalidValueHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct TFindHandleTraits {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
template <typename G>
struct TGdiObjectTraits {
    static G Invalid() noexcept { return nullptr; }
    static void Close(G h) noexcept { ::DeleteObject(h); }
};
struct TMemoryDCTraits {
    static HDC Invalid() noexcept { return nullptr; }
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
struct TWindowTraits {
    static HWND Invalid() noexcept { return nullptr; }
    static void Close(HWND h) noexcept { ::DestroyWindow(h); }
};

using TKernelHandle = TUniqueHandle<HANDLE, TNullHandleTraits>;      // null is invalid
using TFileHandle = TUniqueHandle<HANDLE, TInvalidValueHandleTraits>;  // INVALID_HANDLE_VALUE is invalid
using TFindHandle = TUniqueHandle<HANDLE, TFindHandleTraits>;
using TFontHandle = TUniqueHandle<HFONT, TGdiObjectTraits<HFONT>>;
using TBitmapHandle = TUniqueHandle<HBITMAP, TGdiObjectTraits<HBITMAP>>;
using TWindowHandle = TUniqueHandle<HWND, TWindowTraits>;
using TMemoryDC = TUniqueHandle<HDC, TMemoryDCTraits>;  // made with CreateCompatibleDC

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

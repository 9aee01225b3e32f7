#pragma once
// Move-only owners of Windows handles, and scopes that give back what they
// took (a device context, a selected GDI object, a paint). Kernel handles come
// in two kinds: those whose invalid value is null (processes, threads, events)
// and those whose invalid value is INVALID_HANDLE_VALUE (files, find handles).
// Closing or giving back keeps the thread's last error code, so that a failure
// read after a handle went out of scope is still the failure that counted.
#include <windows.h>

#include <utility>

// Keeps the thread's last error code across the calls made in its lifetime
// (closing a handle, giving back a selection).
class TLastErrorKeeper {
public:
    TLastErrorKeeper() noexcept : fLastError(::GetLastError()) {}
    ~TLastErrorKeeper() { ::SetLastError(fLastError); }
    TLastErrorKeeper(const TLastErrorKeeper&) = delete;
    TLastErrorKeeper& operator=(const TLastErrorKeeper&) = delete;

private:
    DWORD fLastError;
};

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
    // Closes the handle held (the last error code kept) and takes value.
    void Reset(T value = Traits::Invalid()) noexcept {
        T old = std::exchange(fValue, value);
        if (old == Traits::Invalid()) return;
        const TLastErrorKeeper lastError;
        Traits::Close(old);
    }
    // Closes the handle held and gives the place for a platform call that
    // hands out a new one.
    T* Put() noexcept {
        Reset();
        return &fValue;
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
using TRegistryKey = TUniqueHandle<HKEY, THandleTraits<HKEY, &::RegCloseKey>>;
using TLocalMemory = TUniqueHandle<HLOCAL, THandleTraits<HLOCAL, &::LocalFree>>;  // handed out with LocalAlloc
using TMappedView = TUniqueHandle<void*, THandleTraits<void*, &::UnmapViewOfFile>>;  // made with MapViewOfFile
using THookHandle = TUniqueHandle<HHOOK, THandleTraits<HHOOK, &::UnhookWindowsHookEx>>;  // SetWindowsHookExW

// A device context taken with GetDC, given back with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : fWindow(window), fDC(::GetDC(window)) {}
    ~TWindowDC() {
        if (!fDC) return;
        const TLastErrorKeeper lastError;
        ::ReleaseDC(fWindow, fDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const noexcept { return fDC; }

private:
    HWND fWindow;
    HDC fDC;
};

// A window's paint between BeginPaint and EndPaint (for WM_PAINT).
class TPaint {
public:
    explicit TPaint(HWND window) noexcept : fWindow(window), fDC(::BeginPaint(window, &fPaint)) {}
    ~TPaint() {
        const TLastErrorKeeper keeper;
        ::EndPaint(fWindow, &fPaint);
    }
    TPaint(const TPaint&) = delete;
    TPaint& operator=(const TPaint&) = delete;
    HDC Get() const noexcept { return fDC; }

private:
    HWND fWindow;
    PAINTSTRUCT fPaint = {};
    HDC fDC;
};

// A GDI object (bitmap, font, brush, pen) selected into a device context; the
// object it replaced is selected again at the end (the last error kept).
class TObjectSelection {
public:
    TObjectSelection(HDC dc, HGDIOBJ object) noexcept : fDC(dc), fPrevious(::SelectObject(dc, object)) {}
    ~TObjectSelection() {
        if (!Valid()) return;
        const TLastErrorKeeper lastError;
        ::SelectObject(fDC, fPrevious);
    }
    TObjectSelection(const TObjectSelection&) = delete;
    TObjectSelection& operator=(const TObjectSelection&) = delete;
    // The object was selected (SelectObject gave neither null nor HGDI_ERROR).
    bool Valid() const noexcept { return fPrevious && fPrevious != HGDI_ERROR; }
    explicit operator bool() const noexcept { return Valid(); }

private:
    HDC fDC;
    HGDIOBJ fPrevious;
};

// A palette selected into a device context as a background palette; the
// palette it replaced is selected again at the end (the last error kept).
class TPaletteSelection {
public:
    TPaletteSelection(HDC dc, HPALETTE palette) noexcept
        : fDC(dc), fPrevious(::SelectPalette(dc, palette, /*bForceBkgd=*/TRUE)) {}
    ~TPaletteSelection() {
        if (!Valid()) return;
        const TLastErrorKeeper lastError;
        ::SelectPalette(fDC, fPrevious, /*bForceBkgd=*/TRUE);
    }
    TPaletteSelection(const TPaletteSelection&) = delete;
    TPaletteSelection& operator=(const TPaletteSelection&) = delete;
    bool Valid() const noexcept { return fPrevious != nullptr; }
    explicit operator bool() const noexcept { return Valid(); }

private:
    HDC fDC;
    HPALETTE fPrevious;
};

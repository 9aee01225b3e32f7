#pragma once
// Owner of one automation string (BSTR).
#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <utility>

class TBstr {
public:
    TBstr() noexcept = default;
    explicit TBstr(const std::wstring& text)
        : fValue(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!fValue) throw std::bad_alloc();
    }
    ~TBstr() { ::SysFreeString(fValue); }
    TBstr(TBstr&& other) noexcept : fValue(std::exchange(other.fValue, nullptr)) {}
    TBstr& operator=(TBstr&& other) noexcept {
        if (this != &other) {
            ::SysFreeString(fValue);
            fValue = std::exchange(other.fValue, nullptr);
        }
        return *this;
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    BSTR Get() const noexcept { return fValue; }
    // For an out-parameter: frees the string held so far.
    BSTR* Out() noexcept {
        ::SysFreeString(fValue);
        fValue = nullptr;
        return &fValue;
    }
    std::wstring Str() const { return ToWString(fValue); }

    // The text of any BSTR; null reads as the empty string.
    static std::wstring ToWString(BSTR value) { return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring(); }

private:
    BSTR fValue = nullptr;
};

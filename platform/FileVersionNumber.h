#pragma once
// A four-part version number of 16-bit parts, major first, with its
// comparisons and its text form.
#include <compare>
#include <cstdint>
#include <string>

struct TFileVersionNumber;

// "V1.V2.V3.V4", each part in decimal without leading zeros.
std::wstring VerNumToStr(const TFileVersionNumber& Ver);

// The difference of the first parts that differ (major first), from -65535
// to 65535, or 0 when all four are equal.
std::int32_t CompareVerNums(const TFileVersionNumber& Ver1, const TFileVersionNumber& Ver2);

struct TFileVersionNumber {
    std::uint16_t V1 = 0;  // major
    std::uint16_t V2 = 0;
    std::uint16_t V3 = 0;
    std::uint16_t V4 = 0;

    // The text form, so that a version number can stand where text is wanted.
    operator std::wstring() const { return VerNumToStr(*this); }

    // All six comparisons go through CompareVerNums.
    friend bool operator==(const TFileVersionNumber& a, const TFileVersionNumber& b) {
        return CompareVerNums(a, b) == 0;
    }
    friend std::strong_ordering operator<=>(const TFileVersionNumber& a, const TFileVersionNumber& b) {
        return CompareVerNums(a, b) <=> 0;
    }
};

#include "errors.h"

#include <cstdint>

namespace {

const char32_t cReplacementCharacter = 0xFFFD;

// The code points of a wide text: UTF-16 where wchar_t has 16 bits, UTF-32
// where it has 32.
template <typename TVisit>
void ForEachCodePoint(const std::wstring& text, TVisit visit) {
    for (std::size_t index = 0; index < text.size(); ++index) {
        char32_t unit = static_cast<char32_t>(text[index]) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[index + 1]) & 0xFFFFu;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                visit(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++index;
                continue;
            }
        }
        if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) unit = cReplacementCharacter;
        visit(unit);
    }
}

}  // namespace

std::string Utf8Text(const std::wstring& text) {
    std::string result;
    result.reserve(text.size());
    ForEachCodePoint(text, [&result](char32_t point) {
        if (point < 0x80) {
            result += static_cast<char>(point);
        } else if (point < 0x800) {
            result += static_cast<char>(0xC0 | (point >> 6));
            result += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            result += static_cast<char>(0xE0 | (point >> 12));
            result += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (point >> 18));
            result += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (point & 0x3F));
        }
    });
    return result;
}

Exception::Exception(std::wstring message) : fMessage(std::move(message)), fUtf8Message(Utf8Text(fMessage)) {}

EFCreateError::EFCreateError(const std::wstring& fullPath, const std::wstring& systemText)
    : Exception(L"Datei \"" + fullPath + L"\" kann nicht erstellt werden. " + systemText) {}

EFWriteError::EFWriteError(const std::wstring& fullPath, const std::wstring& systemText)
    : Exception(L"Datei \"" + fullPath + L"\" kann nicht geschrieben werden. " + systemText) {}

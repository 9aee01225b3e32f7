#include "status_text.h"

namespace {

// One line of the result: the text for none, for one, and the tail after a
// larger number.
std::wstring CountLine(int count, const wchar_t* none, const wchar_t* one, const wchar_t* many) {
    if (count == 0) return none;
    if (count == 1) return one;
    if (count > 1) return std::to_wstring(count) + many;
    return std::wstring();
}

}  // namespace

std::wstring ComposePropertyResult(int newCount, int updatedCount) {
    return CountLine(newCount, L" keine neue Properties angelegt...", L" ein Propertie neu angelegt...",
                     L" Properties neu angelegt...") +
           L"\r" +
           CountLine(updatedCount, L"keine Properties aktualisiert...", L" ein Propertie aktualisiert...",
                     L" Properties aktualisiert...");
}

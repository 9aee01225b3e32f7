#include "status_text.h"

std::wstring ComposePropertyResult(int newCount, int updatedCount) {
    std::wstring message;
    if (newCount == 0)
        message += L" keine neue Properties angelegt...";
    else if (newCount == 1)
        message += L" ein Propertie neu angelegt...";
    else if (newCount > 1)
        message += std::to_wstring(newCount) + L" Properties neu angelegt...";
    message += L"\r";
    if (updatedCount == 0)
        message += L"keine Properties aktualisiert...";
    else if (updatedCount == 1)
        message += L" ein Propertie aktualisiert...";
    else if (updatedCount > 1)
        message += std::to_wstring(updatedCount) + L" Properties aktualisiert...";
    return message;
}

#include "com_failure_text.h"

#include "error_text.h"

std::wstring ComObjectFailureText(std::uint32_t code, const std::wstring& systemText,
                                  const std::wstring& classIdText) {
    const std::wstring reason = systemText.empty() ? L"OLE-Fehler " + HexText(code, 8, false) : systemText;
    return reason + L", ClassID: " + classIdText;
}

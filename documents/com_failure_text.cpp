#include "com_failure_text.h"

#include "error_text.h"

std::wstring ComObjectFailureText(std::uint32_t code, const std::wstring& systemText,
                                  const std::wstring& classIdText) {
    return OleFailureText(code, systemText) + L", ClassID: " + classIdText;
}

std::wstring OleFailureText(std::uint32_t code, const std::wstring& systemText) {
    return systemText.empty() ? L"OLE-Fehler " + HexText(code, 8, false) : systemText;
}

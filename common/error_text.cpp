#include "error_text.h"

#include "paths.h"

std::wstring WithFinalDot(const std::wstring& message) {
    if (!message.empty() && message.back() > L'.') return message + L".";
    return message;
}

std::wstring ApplicationTitle(const std::wstring& programPath, LowerCaseFn lowerCase) {
    std::wstring name = ExtractFileName(programPath);
    name = name.substr(0, name.find(L'.'));
    if (name.size() > 1) name = name.substr(0, 1) + lowerCase(name.substr(1));
    return name;
}

std::wstring TrimSystemText(std::wstring text) {
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

std::wstring OsErrorText(unsigned long code, const std::wstring& platformText) {
    if (code == 0) return L"Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen";
    // The code reads as a signed 32-bit number: 0x80070005 is -2147024891.
    const auto signedCode = static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
    return L"Systemfehler.  Code: " + std::to_wstring(signedCode) + L".\r\n" + TrimSystemText(platformText);
}

std::wstring HexText(std::uint64_t value, int minDigits, bool upperCase) {
    const wchar_t* digits = upperCase ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(text.size()) < minDigits) text.insert(text.begin(), L'0');
    return text;
}

std::wstring ApplicationErrorText(const std::wstring& className, const std::wstring& moduleName,
                                  std::uint64_t address, const std::wstring& message) {
    return L"Exception " + className + L" in Modul " + moduleName + L" bei " +
           HexText(address, 16, /*upperCase=*/true) + L".\r\n" + WithFinalDot(message);
}

std::wstring InOutErrorText(int code, const std::wstring& fileName) {
    switch (code) {
        case 2: return L"Die angegebene Datei wurde nicht gefunden";
        case 3: return L"Ungültiger Dateiname - " + fileName;
        case 4: return L"Zu viele geöffnete Dateien";
        case 5: return L"Dateizugriff verweigert";
        case 100: return L"Versuch hinter dem Dateiende zu lesen";
        case 101: return L"Zu wenig Speicherplatz";
        case 106: return L"Ungültige numerische Eingabe";
        default: return L"E/A-Fehler " + std::to_wstring(code);
    }
}

std::wstring OleFailureText(std::uint32_t code, const std::wstring& systemText) {
    return systemText.empty() ? L"OLE-Fehler " + HexText(code, 8, false) : systemText;
}

std::wstring ComObjectFailureText(std::uint32_t code, const std::wstring& systemText,
                                  const std::wstring& classIdText) {
    return OleFailureText(code, systemText) + L", ClassID: " + classIdText;
}

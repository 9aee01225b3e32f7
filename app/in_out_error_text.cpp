#include "in_out_error_text.h"

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

#pragma once
// Interface identifiers carried by the interface types, so that
// __uuidof(Interface) and IID_PPV_ARGS work for interfaces declared here as
// they do for the platform's own.
#include <windows.h>

// The identifier in its registry form without braces,
// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (hexadecimal digits, either case),
// at compile time; any other text does not compile.
constexpr unsigned HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return static_cast<unsigned>(digit - '0');
    if (digit >= 'A' && digit <= 'F') return static_cast<unsigned>(digit - 'A' + 10);
    if (digit >= 'a' && digit <= 'f') return static_cast<unsigned>(digit - 'a' + 10);
    throw "not a hexadecimal digit";
}
constexpr unsigned long HexTextValue(const char* text, int first, int digits) {
    unsigned long value = 0;
    for (int index = first; index < first + digits; ++index) value = value * 16 + HexDigitValue(text[index]);
    return value;
}
constexpr GUID GuidFromText(const char (&text)[37]) {
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') throw "not an identifier";
    GUID guid = {};
    guid.Data1 = HexTextValue(text, 0, 8);
    guid.Data2 = static_cast<unsigned short>(HexTextValue(text, 9, 4));
    guid.Data3 = static_cast<unsigned short>(HexTextValue(text, 14, 4));
    guid.Data4[0] = static_cast<unsigned char>(HexTextValue(text, 19, 2));
    guid.Data4[1] = static_cast<unsigned char>(HexTextValue(text, 21, 2));
    for (int index = 0; index < 6; ++index)
        guid.Data4[2 + index] = static_cast<unsigned char>(HexTextValue(text, 24 + 2 * index, 2));
    return guid;
}

// KESTRUM_INTERFACE_ID(Interface, "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"),
// after the interface's definition, at global scope: the constant
// IID_Interface, and the same identifier carried by the type (MSVC's
// __declspec(uuid), MinGW's __CRT_UUID_DECL).
#if defined(_MSC_VER)
#define KESTRUM_INTERFACE_ID(type, text)                            \
    inline constexpr IID IID_##type = GuidFromText(text);           \
    struct __declspec(uuid(text)) type;
#else
#define KESTRUM_INTERFACE_ID(type, text)                                                                     \
    inline constexpr IID IID_##type = GuidFromText(text);                                                    \
    __CRT_UUID_DECL(type, IID_##type.Data1, IID_##type.Data2, IID_##type.Data3, IID_##type.Data4[0],         \
                    IID_##type.Data4[1], IID_##type.Data4[2], IID_##type.Data4[3], IID_##type.Data4[4],      \
                    IID_##type.Data4[5], IID_##type.Data4[6], IID_##type.Data4[7])
#endif

#pragma once
// Helpers shared by the fuzz targets: a failed property stops the run with a
// message (libFuzzer then keeps the input), and fuzz bytes become UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run when a property of the code under test does not hold.
#define FUZZ_REQUIRE(condition)                                                              \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

namespace fuzz_support {

// Bytes below 0xF0 stand for the character with that code (ASCII, control
// characters, Latin-1 letters such as umlauts), so that the fuzzer reaches the
// interesting characters in one byte. 0xF0 to 0xFF take the next two bytes as
// one UTF-16 code unit, low byte first, so that any unit can occur, NUL and
// surrogates included. Units stay within 16 bits, as on Windows.
inline std::wstring WideFromBytes(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0xF0) {
            text.push_back(static_cast<wchar_t>(data[i]));
        } else if (i + 2 < size) {
            text.push_back(static_cast<wchar_t>(data[i + 1] | (data[i + 2] << 8)));
            i += 2;
        }
    }
    return text;
}

// Printable form of a text for failure reports: ASCII as is, others as \uXXXX.
inline std::string Printable(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char code[12];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

}  // namespace fuzz_support

// Fuzz target of the preview-name rule: PreviewFileName, and with it
// ExtractFileExt, LowerCaseAscii and LowerFileExt.
//
// The name must be the path with its extension lower-cased (A to Z only)
// and "KS" appended, where the extension is found here by a scan from the
// end: the last "." before which, looking backwards from the end, no "\" and
// no ":" stands. It must end in "KS", keep everything before the extension
// unchanged and have an extension of its own that is the old one lower-cased
// plus "KS".
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "paths.h"

namespace {

// Where the extension starts, or the length of the path when it has none.
std::size_t ExtensionStart(const std::wstring& path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (path[i] == L'\\' || path[i] == L':') break;
        if (path[i] == L'.') return i;
    }
    return path.size();
}

bool HasUpperAscii(const std::wstring& text) {
    return text.find_first_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring path = fuzz_support::WideFromBytes(data, size);
    const std::wstring name = PreviewFileName(path);

    const std::size_t start = ExtensionStart(path);
    const std::wstring extension = path.substr(start);
    FUZZ_REQUIRE(ExtractFileExt(path) == extension);

    std::wstring lowered = extension;
    for (wchar_t& c : lowered) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + (L'a' - L'A'));
    }
    FUZZ_REQUIRE(LowerCaseAscii(extension) == lowered);
    FUZZ_REQUIRE(LowerFileExt(path) == lowered);
    FUZZ_REQUIRE(!HasUpperAscii(lowered));

    FUZZ_REQUIRE(name.size() == path.size() + 2);
    FUZZ_REQUIRE(name.ends_with(L"KS"));
    FUZZ_REQUIRE(name.compare(0, start, path, 0, start) == 0);
    FUZZ_REQUIRE(name.compare(start, lowered.size(), lowered) == 0);
    // The preview name's own extension: the lower-cased one and "KS", or none
    // when the document path has none.
    FUZZ_REQUIRE(ExtractFileExt(name) == (extension.empty() ? std::wstring() : lowered + L"KS"));
    return 0;
}

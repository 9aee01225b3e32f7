// Fuzz target of the property-file reader, ReadPropertyEntries.
//
// Input: byte 0 chooses the set-up, byte 1 is its parameter, the rest is the
// file. Byte 0:
//   bits 0-1  text rules: 0 the stand-in rules (code page 1252, folded
//             names, the folded name as key); 1 the key reduced to the first
//             folded character and 2 one key for all names (both force names
//             with equal keys that do not match); 3 a decoder that drops the
//             five bytes code page 1252 leaves undefined, so that a non-empty
//             value line can become empty text;
//   bits 2-3  how the source hands out bytes: as asked, one at a time, 1 to 16
//             or 1 to 70000 at a time (sizes from byte 1);
//   bit 4     the source fails after the share byte 1 / 255 of the file
//             (at its end included): the failure must come out of the reader;
//   bit 5     with rules 0: the file is repeated 1 + byte 1 % 40 times, to
//             reach lines and files longer than the reader's buffer.
// The entries must equal those of a model written from the file's rules in
// a different way: cut at the first 26, all CRs removed, split at LF, pairs
// of lines until the text is used up (at least one), names found through a
// map of folded names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fuzz_support.h"
#include "property_file.h"
#include "property_text_standin.h"

namespace {

using property_text_standin::CompareFolded;
using property_text_standin::DecodeCp1252;
using property_text_standin::FoldedKey;

std::string FirstCharKey(const std::wstring& name) { return FoldedKey(name.substr(0, 1)); }
std::string OneKey(const std::wstring&) { return std::string(); }

bool UndefinedIn1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::wstring DecodeDroppingUndefined(std::string_view line) {
    std::string kept;
    for (const char c : line) {
        if (!UndefinedIn1252(static_cast<unsigned char>(c))) kept.push_back(c);
    }
    return DecodeCp1252(kept);
}

const TPropertyTextRules cRuleSets[4] = {
    {DecodeCp1252, CompareFolded, FoldedKey},
    {DecodeCp1252, CompareFolded, FirstCharKey},
    {DecodeCp1252, CompareFolded, OneKey},
    {DecodeDroppingUndefined, CompareFolded, FoldedKey},
};

struct TSourceFailure {};

class TFuzzSource : public TByteSource {
public:
    TFuzzSource(const std::string& bytes, int chunkMode, std::uint32_t seed, std::size_t failAt)
        : fBytes(bytes), fChunkMode(chunkMode), fRandom(seed * 2654435761u + 1), fFailAt(failAt) {}

    std::size_t Read(char* buffer, std::size_t size) override {
        FUZZ_REQUIRE(size > 0);  // 0 bytes back would read as the end
        if (fPos == fFailAt) throw TSourceFailure();
        std::size_t n = std::min({size, fBytes.size() - fPos, NextChunk()});
        if (fFailAt != std::string::npos) n = std::min(n, fFailAt - fPos);
        std::memcpy(buffer, fBytes.data() + fPos, n);
        fPos += n;
        return n;
    }

private:
    std::size_t NextChunk() {
        fRandom = fRandom * 1103515245u + 12345u;
        const std::size_t r = fRandom >> 8;
        switch (fChunkMode) {
            case 1: return 1;
            case 2: return 1 + r % 16;
            case 3: return 1 + r % 70000;
            default: return static_cast<std::size_t>(-1);
        }
    }

    const std::string& fBytes;
    const int fChunkMode;
    std::uint32_t fRandom;
    const std::size_t fFailAt;
    std::size_t fPos = 0;
};

std::vector<TPropertyEntry> Model(const std::string& bytes, TDecodeLineFn decode) {
    std::string text = bytes.substr(0, bytes.find('\x1a'));
    std::size_t pos = 0;
    auto readLine = [&] {
        const std::size_t lineFeed = text.find('\n', pos);
        std::string line = text.substr(pos, lineFeed == std::string::npos ? std::string::npos : lineFeed - pos);
        pos = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        return decode(line);
    };
    std::vector<TPropertyEntry> entries;
    std::unordered_map<std::string, std::size_t> firstByKey;
    do {
        const std::wstring nameLine = readLine();
        const std::wstring valueLine = readLine();
        if (valueLine.empty() || firstByKey.count(FoldedKey(nameLine)) != 0) continue;
        const std::wstring joined = nameLine + L"=" + valueLine;
        const std::size_t equals = joined.find(L'=');
        TPropertyEntry entry{joined.substr(0, equals), joined.substr(equals + 1), entries.size()};
        entry.First = firstByKey.emplace(FoldedKey(entry.Name), entries.size()).first->second;
        entries.push_back(entry);
    } while (pos < text.size());
    return entries;
}

void CheckEntries(const std::vector<TPropertyEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TPropertyEntry& e = entries[i];
        FUZZ_REQUIRE(e.Name.find_first_of(L"=\r\n\x1a") == std::wstring::npos);
        FUZZ_REQUIRE(!e.Value.empty());
        FUZZ_REQUIRE(e.Value.find_first_of(L"\r\n\x1a") == std::wstring::npos);
        FUZZ_REQUIRE(e.First <= i);
        FUZZ_REQUIRE(entries[e.First].First == e.First);
        FUZZ_REQUIRE(CompareFolded(e.Name, entries[e.First].Name) == 0);
    }
}

void ReportMismatch(const std::vector<TPropertyEntry>& got, const std::vector<TPropertyEntry>& want) {
    std::fprintf(stderr, "reader: %zu entries, model: %zu\n", got.size(), want.size());
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
        for (const auto* list : {&got, &want}) {
            if (i >= list->size()) continue;
            const TPropertyEntry& e = (*list)[i];
            std::fprintf(stderr, "  %s %zu: [%s] = [%s] first %zu\n", list == &got ? "reader" : "model ", i,
                         fuzz_support::Printable(e.Name).c_str(), fuzz_support::Printable(e.Value).c_str(), e.First);
        }
    }
}

bool SameEntries(const std::vector<TPropertyEntry>& a, const std::vector<TPropertyEntry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TPropertyEntry& x, const TPropertyEntry& y) {
        return x.Name == y.Name && x.Value == y.Value && x.First == y.First;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t setup = size > 0 ? data[0] : 0;
    const std::uint8_t parameter = size > 1 ? data[1] : 0;
    const std::size_t skip = std::min<std::size_t>(size, 2);
    const std::string file(reinterpret_cast<const char*>(data) + skip, size - skip);

    const int ruleSet = setup & 3;
    const int chunkMode = (setup >> 2) & 3;
    const bool failing = (setup & 0x10) != 0;
    const std::size_t repeats = ruleSet == 0 && (setup & 0x20) != 0 ? 1 + parameter % 40 : 1;

    std::string bytes;
    bytes.reserve(file.size() * repeats);
    for (std::size_t i = 0; i < repeats; ++i) bytes += file;
    const std::size_t failAt = failing ? bytes.size() * parameter / 255 : std::string::npos;

    TFuzzSource source(bytes, chunkMode, parameter, failAt);
    std::vector<TPropertyEntry> entries;
    try {
        entries = ReadPropertyEntries(source, cRuleSets[ruleSet]);
    } catch (const TSourceFailure&) {
        FUZZ_REQUIRE(failing);
        return 0;
    }
    // The reader reads to the end, or to the first 26: only a 26 before the
    // failing place may keep the failure from being met.
    FUZZ_REQUIRE(!failing || bytes.find('\x1a') < failAt);

    CheckEntries(entries);
    const std::vector<TPropertyEntry> model = Model(bytes, cRuleSets[ruleSet].DecodeLine);
    if (!SameEntries(entries, model)) ReportMismatch(entries, model);
    FUZZ_REQUIRE(SameEntries(entries, model));
    return 0;
}

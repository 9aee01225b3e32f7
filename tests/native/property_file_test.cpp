#include "property_file.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "param_name.h"
#include "property_text_standin.h"

namespace {

using TEntryTuple = std::tuple<std::wstring, std::wstring, std::size_t>;  // name, value, first

// Hands out the bytes in reads of at most chunk bytes. Reading on after the
// end has been reported once is a fault of the reader; with endIsFinal even
// the first read past the last byte is one (a source that would block).
class TStringSource final : public TByteSource {
public:
    TStringSource(std::string bytes, std::size_t chunk, bool endIsFinal = false)
        : fBytes(std::move(bytes)), fChunk(chunk), fEndIsFinal(endIsFinal) {}

    std::size_t Read(char* buffer, std::size_t size) override {
        if (fPos == fBytes.size()) {
            if (fEndReported || fEndIsFinal) throw std::logic_error("read past the end");
            fEndReported = true;
            return 0;
        }
        const std::size_t n = std::min({size, fChunk, fBytes.size() - fPos});
        fBytes.copy(buffer, n, fPos);
        fPos += n;
        return n;
    }

private:
    std::string fBytes;
    std::size_t fChunk;
    bool fEndIsFinal;
    std::size_t fPos = 0;
    bool fEndReported = false;
};

// The stand-in rules, but one key for every name: the comparison alone
// decides which names match.
std::string SameKeyForAll(const std::wstring&) { return "k"; }
const TPropertyTextRules cOneKeyRules{property_text_standin::DecodeCp1252, property_text_standin::CompareFolded,
                                      SameKeyForAll};

std::vector<TEntryTuple> Read(const std::string& bytes, std::size_t chunk, bool endIsFinal = false,
                              const TPropertyTextRules& rules = property_text_standin::cRules) {
    TStringSource source(bytes, chunk, endIsFinal);
    std::vector<TEntryTuple> result;
    for (const TPropertyEntry& e : ReadPropertyEntries(source, rules)) {
        result.emplace_back(e.Name, e.Value, e.First);
    }
    return result;
}

// Whole reads, single bytes (every CR LF and line split across reads) and an
// odd size in between.
const std::size_t cChunkSizes[] = {1 << 20, 1, 3};

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::vector<TEntryTuple> entries;
};

class PropertyFileTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(PropertyFileTest, ReadsEntries) {
    for (const std::size_t chunk : cChunkSizes) {
        SCOPED_TRACE("reads of at most " + std::to_string(chunk) + " bytes");
        EXPECT_EQ(Read(GetParam().bytes, chunk), GetParam().entries);
    }
    SCOPED_TRACE("one key for all names");
    EXPECT_EQ(Read(GetParam().bytes, 1 << 20, false, cOneKeyRules), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyFileTest,
    testing::Values(
        ReaderCase{"EmptyFile", "", {}},
        ReaderCase{"OnePairWithLineEnd", "Farbe\nrot\n", {{L"Farbe", L"rot", 0}}},
        ReaderCase{"OnePairWithoutLineEnd", "Farbe\nrot", {{L"Farbe", L"rot", 0}}},
        ReaderCase{"OddLineCountLastNameIgnored", "A\n1\nB\n", {{L"A", L"1", 0}}},
        ReaderCase{"TrailingBlankLinesIgnored", "A\n1\n\n\n\n\n", {{L"A", L"1", 0}}},
        // Name 1, value 1, a blank line, name 2, value 2: the second pair is
        // an empty name with name 2 as its value; value 2 has no value line.
        ReaderCase{"BlankLineShiftsPairing", "N1\nV1\n\nN2\nV2\n", {{L"N1", L"V1", 0}, {L"", L"N2", 1}}},
        ReaderCase{"DuplicateNameInMixedCaseFirstWins", "Farbe\nrot\nFARBE\nblau\nfarbe\ngr\xfcn\nMa\xdf\n1\nMA\xdf\n2\n",
                   {{L"Farbe", L"rot", 0}, {L"Ma\u00df", L"1", 1}}},
        ReaderCase{"EmptyValueAddsNothing", "A\n\nB\n2\n", {{L"B", L"2", 0}}},
        ReaderCase{"FirstPairWithValueWins", "Farbe\n\nFARBE\nblau\nfarbe\nrot\n", {{L"FARBE", L"blau", 0}}},
        ReaderCase{"EqualsInNameSplitsAtTheFirst", "Teil=Nr=A\n42\n", {{L"Teil", L"Nr=A=42", 0}}},
        // The whole name line is never a repeat, so two entries may share a
        // name; both take the value of the first.
        ReaderCase{"EqualsInNameSharesTheEarlierName", "Teil\n7\nTEIL=Nr\n42\nteil=Nr\n43\n",
                   {{L"Teil", L"7", 0}, {L"TEIL", L"Nr=42", 0}, {L"teil", L"Nr=43", 0}}},
        ReaderCase{"PlainNameAfterEqualsNameIsARepeat", "Teil=Nr\n42\nteil\n7\n", {{L"Teil", L"Nr=42", 0}}},
        ReaderCase{"EqualsInValueKeptWhole", "Formel\n=a=b+c\n", {{L"Formel", L"=a=b+c", 0}}},
        ReaderCase{"BlanksKept", "  Name \n  Wert  \n \n \n", {{L"  Name ", L"  Wert  ", 0}, {L" ", L" ", 1}}},
        ReaderCase{"CrLfAndLfMixed", "A\r\n1\r\nB\n2\nC\r\n3", {{L"A", L"1", 0}, {L"B", L"2", 1}, {L"C", L"3", 2}}},
        ReaderCase{"LoneCrDropped", "Na\rme\nW\rert\r\r\n\r", {{L"Name", L"Wert", 0}}},
        ReaderCase{"CrAtTheVeryEnd", "A\n1\r", {{L"A", L"1", 0}}},
        ReaderCase{"Byte26InTheMiddleEndsTheFile", "A\n1\nB\n2\x1a" "C\n3\nD\n4\n", {{L"A", L"1", 0}, {L"B", L"2", 1}}},
        ReaderCase{"Byte26EndsTheLineItStandsIn", "A\nei\x1ans\nB\n2\n", {{L"A", L"ei", 0}}},
        ReaderCase{"Byte26BeforeTheValueLeavesNoValue", "A\n\x1a" "1\n", {}},
        ReaderCase{"Byte26AtTheEndIgnored", "A\n1\n\x1a", {{L"A", L"1", 0}}},
        ReaderCase{"Utf8ByteOrderMarkBeginsTheName", "\xef\xbb\xbfName\nWert\n", {{L"\u00ef\u00bb\u00bfName", L"Wert", 0}}},
        ReaderCase{"Cp1252UmlautsDecoded", "Gr\xf6\xdf" "e\n\xe4\xf6\xfc\xdf \xc4\xd6\xdc \x80\n",
                   {{L"Gr\u00f6\u00dfe", L"\u00e4\u00f6\u00fc\u00df \u00c4\u00d6\u00dc \u20ac", 0}}},
        ReaderCase{"NulBytesKept", std::string("N\0a\nW\0\n", 7), {{std::wstring(L"N\0a", 3), std::wstring(L"W\0", 2), 0}}}),
    TParamName());

TEST(PropertyFileReading, NothingIsReadAfterByte26) {
    // The source fails on any read after the 26: a pipe that stays open.
    for (const std::size_t chunk : cChunkSizes) {
        EXPECT_EQ(Read("A\n1\n\x1a", chunk, true), (std::vector<TEntryTuple>{{L"A", L"1", 0}}));
        EXPECT_EQ(Read("A\n1\x1a", chunk, true), (std::vector<TEntryTuple>{{L"A", L"1", 0}}));
    }
}

TEST(PropertyFileReading, LongLinesAcrossManyBuffers) {
    const std::string name(100'000, 'N');
    const std::string value(300'001, 'w');
    const auto entries = Read(name + "\r\n" + value + "\r\nB\n2", 1 << 20);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(std::get<0>(entries[0]), std::wstring(name.size(), L'N'));
    EXPECT_EQ(std::get<1>(entries[0]), std::wstring(value.size(), L'w'));
    EXPECT_EQ(entries[1], TEntryTuple(L"B", L"2", 1));
}

TEST(PropertyFileReading, ManyRepeatsKeepTheFirstOfEachName) {
    // Every name twice, the repeat in upper case, in an order that mixes them.
    std::string bytes;
    const int names = 3000;
    for (int i = 0; i < names; ++i) bytes += "name" + std::to_string(i) + "\nfirst" + std::to_string(i) + "\n";
    for (int i = names - 1; i >= 0; --i) bytes += "NAME" + std::to_string(i) + "\nsecond\n";
    const auto entries = Read(bytes, 1 << 20);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(names));
    for (int i = 0; i < names; ++i) {
        const auto n = static_cast<std::size_t>(i);
        EXPECT_EQ(entries[n], TEntryTuple(L"name" + std::to_wstring(i), L"first" + std::to_wstring(i), n));
    }
}

}  // namespace

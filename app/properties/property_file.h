#pragma once
// The property file: 8-bit text read as pairs of lines, a property name and
// then its value, into a list of name/value entries in file order.
//
// Lines end at LF or CR LF; every CR is dropped from the text. The file ends
// at its physical end or at the first byte 26. Nothing is trimmed and no
// byte-order mark is recognised. Lines have no length limit.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where the bytes come from. Read hands back up to size bytes, or 0 at the
// end; a failure is raised by the source itself.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// The rules that depend on the system: how the bytes of one line become text
// (the ANSI code page), and how names are matched (the user's locale,
// ignoring case). CompareNames decides whether two names match: zero when
// they do. NameKey is the key of a name in the index of names: names that
// match must have equal keys (a sort key of the same comparison has that
// property); names with equal keys are still compared.
using TDecodeLineFn = std::wstring (*)(std::string_view line);
using TCompareNamesFn = int (*)(const std::wstring& a, const std::wstring& b);
using TNameKeyFn = std::string (*)(const std::wstring& name);

struct TPropertyTextRules {
    TDecodeLineFn DecodeLine;
    TCompareNamesFn CompareNames;
    TNameKeyFn NameKey;
};

// One entry of the list: the name line, "=" and the value line joined, then
// split at the first "=". So a name line holding "=" gives a shorter name,
// and the rest of it, "=" and the value line form the value.
struct TPropertyEntry {
    std::wstring Name;
    std::wstring Value;
    // The first entry whose name matches this one (this entry's own index
    // when it is the first). Its value is the one written for the name.
    std::size_t First = 0;
};

// Reads the whole source. Pairs are read until the end, at least one even
// from an empty source. A pair enters the list when its value line is not
// empty and no entry has the name line as its name; so the first pair of a
// name wins. The check goes through an index of the names by their keys, so
// reading stays linear in the size of the source.
std::vector<TPropertyEntry> ReadPropertyEntries(TByteSource& source, const TPropertyTextRules& rules);

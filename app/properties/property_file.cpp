#include "property_file.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

const std::size_t cBufSize = 64 * 1024;
const char cLineFeed = '\n';
const char cCarriageReturn = '\r';
const char cEndOfFile = 26;
const std::size_t cNoEntry = static_cast<std::size_t>(-1);

// Lines of a text file, read through a buffer of cBufSize bytes.
class TLineReader {
public:
    explicit TLineReader(TByteSource& source) : fSource(source), fBuffer(cBufSize) {}

    // True at the physical end or when the next byte is a 26.
    bool Eof() {
        if (fEnded) return true;
        if (fPos == fLen && !Fill()) return true;
        if (fBuffer[fPos] == cEndOfFile) fEnded = true;
        return fEnded;
    }

    // The next line without its end into line; empty at the end of the file.
    void ReadLine(std::string& line) {
        line.clear();
        while (!fEnded) {
            if (fPos == fLen && !Fill()) break;
            const char* const begin = fBuffer.data() + fPos;
            const char* const end = fBuffer.data() + fLen;
            const char* p = begin;
            while (p != end && *p != cLineFeed && *p != cCarriageReturn && *p != cEndOfFile) ++p;
            line.append(begin, p);
            fPos += static_cast<std::size_t>(p - begin);
            if (p == end) continue;
            if (*p == cEndOfFile) {
                fEnded = true;  // the 26 and everything after it stay unread
                break;
            }
            ++fPos;
            if (*p == cLineFeed) break;
            // A CR, alone or before the LF, is dropped.
        }
    }

private:
    bool Fill() {
        fPos = 0;
        fLen = std::min(fSource.Read(fBuffer.data(), fBuffer.size()), fBuffer.size());
        if (fLen == 0) fEnded = true;
        return fLen != 0;
    }

    TByteSource& fSource;
    std::vector<char> fBuffer;
    std::size_t fPos = 0;
    std::size_t fLen = 0;
    bool fEnded = false;
};

// The names of the list, each with the index of its first entry: an open
// hash table over the hashes of the names' keys. Entries whose hashes are
// equal are compared by name; the keys themselves are not kept.
class TNameIndex {
public:
    TNameIndex(const std::vector<TPropertyEntry>& entries, const TPropertyTextRules& rules)
        : fEntries(entries), fRules(rules), fSlots(16) {}

    // The first entry whose name matches name, or cNoEntry; hash is that of
    // name's key.
    std::size_t Find(const std::wstring& name, std::size_t hash) const {
        const std::size_t mask = fSlots.size() - 1;
        for (std::size_t i = hash & mask; fSlots[i].Entry != cNoEntry; i = (i + 1) & mask) {
            const TSlot& slot = fSlots[i];
            if (slot.Hash == hash && fRules.CompareNames(name, fEntries[slot.Entry].Name) == 0) return slot.Entry;
        }
        return cNoEntry;
    }

    void Add(std::size_t hash, std::size_t entry) {
        if (2 * (fCount + 1) > fSlots.size()) Grow();
        Place({hash, entry});
        ++fCount;
    }

    static std::size_t Hash(const std::string& key) { return std::hash<std::string_view>()(key); }

private:
    struct TSlot {
        std::size_t Hash = 0;
        std::size_t Entry = cNoEntry;
    };

    void Place(const TSlot& slot) {
        std::size_t i = slot.Hash & (fSlots.size() - 1);
        while (fSlots[i].Entry != cNoEntry) i = (i + 1) & (fSlots.size() - 1);
        fSlots[i] = slot;
    }

    void Grow() {
        std::vector<TSlot> old(2 * fSlots.size());
        old.swap(fSlots);
        for (const TSlot& slot : old) {
            if (slot.Entry != cNoEntry) Place(slot);
        }
    }

    const std::vector<TPropertyEntry>& fEntries;
    const TPropertyTextRules& fRules;
    std::vector<TSlot> fSlots;  // a power of two of them, at most half in use
    std::size_t fCount = 0;
};

}  // namespace

std::vector<TPropertyEntry> ReadPropertyEntries(TByteSource& source, const TPropertyTextRules& rules) {
    std::vector<TPropertyEntry> entries;
    TNameIndex index(entries, rules);
    TLineReader reader(source);
    std::string line1;
    std::string line2;
    do {
        reader.ReadLine(line1);
        reader.ReadLine(line2);
        if (line2.empty()) continue;
        std::wstring Strg1 = rules.DecodeLine(line1);
        std::wstring Strg2 = rules.DecodeLine(line2);
        if (Strg2.empty()) continue;
        std::size_t hash = TNameIndex::Hash(rules.NameKey(Strg1));
        if (index.Find(Strg1, hash) != cNoEntry) continue;  // the first pair of a name wins

        const std::size_t position = entries.size();
        TPropertyEntry entry;
        const std::size_t equals = Strg1.find(L'=');
        if (equals == std::wstring::npos) {
            entry.Name = std::move(Strg1);
            entry.Value = std::move(Strg2);
        } else {
            // Such a name line is never a repeat itself, but the name before
            // its "=" may be one.
            entry.Name = Strg1.substr(0, equals);
            entry.Value = Strg1.substr(equals + 1);
            entry.Value += L'=';
            entry.Value += Strg2;
            hash = TNameIndex::Hash(rules.NameKey(entry.Name));
            entry.First = index.Find(entry.Name, hash);
        }
        if (equals == std::wstring::npos || entry.First == cNoEntry) {
            entry.First = position;
            index.Add(hash, position);
        }
        entries.push_back(std::move(entry));
    } while (!reader.Eof());
    return entries;
}

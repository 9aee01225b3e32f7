#include "property_tally.h"

TPropertyTally::TPropertyTally(const std::vector<TPropertyEntry>& entries)
    : fExisted(entries.size(), false), fWritten(entries.size(), false) {
    fFirst.reserve(entries.size());
    for (const TPropertyEntry& entry : entries) fFirst.push_back(entry.First);
}

void TPropertyTally::Deleted(std::size_t entry, bool success) {
    if (success) fExisted.at(fFirst.at(entry)) = true;
}

void TPropertyTally::Added(std::size_t entry, bool success) {
    if (success) fWritten.at(fFirst.at(entry)) = true;
}

int TPropertyTally::Count(bool existed) const {
    int count = 0;
    for (std::size_t i = 0; i < fFirst.size(); ++i) {
        if (fFirst[i] == i && fWritten[i] && fExisted[i] == existed) ++count;
    }
    return count;
}

int TPropertyTally::NewCount() const { return Count(false); }

int TPropertyTally::UpdatedCount() const { return Count(true); }

std::optional<std::size_t> TPropertyTally::FirstLostEntry() const {
    for (std::size_t entry = 0; entry < fFirst.size(); ++entry) {
        if (fFirst[entry] == entry && fExisted[entry] && !fWritten[entry]) return entry;
    }
    return std::nullopt;
}

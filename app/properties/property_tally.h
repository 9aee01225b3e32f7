#pragma once
// The counts of a property update. Each property counts once, however many
// entries of the list share its name: as updated when one of its deletes
// succeeded (so it existed before), else as new; a property none of whose
// adds succeeded counts in neither.
#include <cstddef>
#include <optional>
#include <vector>

#include "property_file.h"

class TPropertyTally {
public:
    explicit TPropertyTally(const std::vector<TPropertyEntry>& entries);

    // The outcome of the delete or the add made for entry (its index).
    void Deleted(std::size_t entry, bool success);
    void Added(std::size_t entry, bool success);

    int NewCount() const;
    int UpdatedCount() const;

    // The first entry of a property that existed (one of its deletes
    // succeeded) and none of whose adds succeeded: saved now, it would be lost.
    std::optional<std::size_t> FirstLostEntry() const;

private:
    int Count(bool existed) const;

    std::vector<std::size_t> fFirst;  // per entry: the first entry of its name
    std::vector<bool> fExisted;       // per first entry
    std::vector<bool> fWritten;       // per first entry
};

#pragma once
// What this process holds of the system's resources, each counted the way the
// platform allows: GetGuiResources and GetProcessHandleCount where they
// answer; where they do not (Wine answers 0 to all three), the process's used
// entries in the GDI handle table, its windows, and its entries in the
// system's handle list.
#include <ostream>
#include <string>

struct TResourceCounts {
    long Gdi = 0;      // GDI objects
    long User = 0;     // USER objects
    long Handles = 0;  // kernel handles
};

bool operator==(const TResourceCounts& a, const TResourceCounts& b);
std::string ToString(const TResourceCounts& counts);  // "gdi 12, user 3, handles 40"
void PrintTo(const TResourceCounts& counts, std::ostream* os);

TResourceCounts MeasureResources();

// How each count of MeasureResources is taken on this system, for the log.
std::string ResourceSources();

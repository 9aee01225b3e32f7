#pragma once
// How much stack a thread keeps back for the report of its own stack
// overflow. The system dispatches the overflow, up to the crash filter, on
// what is left below the guard page, which alone is too little: without a
// guarantee the process ends silently.
#include <cstdint>

// The guarantee a thread gets as it starts, in bytes.
inline constexpr std::uint32_t cThreadStackGuarantee = 32 * 1024;

// The smallest stack reserve that gives up a guarantee: a thread with less
// keeps all of its stack for its own work, which a library sized for it.
inline constexpr std::uint64_t cSmallestGuaranteedReserve = 8 * std::uint64_t{cThreadStackGuarantee};

// The guarantee for a thread whose stack reserve runs from lowLimit up to
// highLimit (as GetCurrentThreadStackLimits gives them): cThreadStackGuarantee
// for a reserve of cSmallestGuaranteedReserve or more; 0, none, for a smaller
// reserve or limits that make none.
std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept;

#include "stack_guarantee.h"

std::uint32_t StackGuaranteeFor(std::uintptr_t lowLimit, std::uintptr_t highLimit) noexcept {
    if (highLimit <= lowLimit || highLimit - lowLimit < cSmallestGuaranteedReserve) return 0;
    return cThreadStackGuarantee;
}

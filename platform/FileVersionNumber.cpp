#include "FileVersionNumber.h"

std::wstring VerNumToStr(const TFileVersionNumber& Ver) {
    return std::to_wstring(Ver.V1) + L'.' + std::to_wstring(Ver.V2) + L'.' + std::to_wstring(Ver.V3) + L'.' +
           std::to_wstring(Ver.V4);
}

std::int32_t CompareVerNums(const TFileVersionNumber& Ver1, const TFileVersionNumber& Ver2) {
    std::int32_t result = std::int32_t{Ver1.V1} - std::int32_t{Ver2.V1};
    if (result == 0) result = std::int32_t{Ver1.V2} - std::int32_t{Ver2.V2};
    if (result == 0) result = std::int32_t{Ver1.V3} - std::int32_t{Ver2.V3};
    if (result == 0) result = std::int32_t{Ver1.V4} - std::int32_t{Ver2.V4};
    return result;
}

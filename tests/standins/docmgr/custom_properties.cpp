#include "custom_properties.h"

#include <windows.h>

#include <algorithm>

bool IsCustomInfoType(long type) {
    return type == swDmCustomInfoText || type == swDmCustomInfoNumber || type == swDmCustomInfoDate ||
           type == swDmCustomInfoYesOrNo;
}

bool SamePropertyName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::vector<TCustomProperty>::iterator TCustomProperties::Find(const std::wstring& name) {
    return std::find_if(fItems.begin(), fItems.end(),
                        [&](const TCustomProperty& p) { return SamePropertyName(p.Name, name); });
}

bool TCustomProperties::Contains(const std::wstring& name) const {
    return std::any_of(fItems.begin(), fItems.end(),
                       [&](const TCustomProperty& p) { return SamePropertyName(p.Name, name); });
}

bool TCustomProperties::Add(const std::wstring& name, SwDmCustomInfoType type, const std::wstring& value) {
    if (!IsCustomInfoType(type) || Contains(name)) return false;
    fItems.push_back({name, type, value});
    return true;
}

bool TCustomProperties::Delete(const std::wstring& name) {
    const auto it = Find(name);
    if (it == fItems.end()) return false;
    fItems.erase(it);
    return true;
}

#pragma once
// The custom properties of a stand-in document, in stored order. Names match
// without regard to case.
#include <string>
#include <vector>

#include "swdm_codes.h"

struct TCustomProperty {
    std::wstring Name;
    SwDmCustomInfoType Type = swDmCustomInfoText;
    std::wstring Value;
};

// The four custom property types a document can hold: text, number, date, yes/no.
bool IsCustomInfoType(long type);

// Names equal without regard to case.
bool SamePropertyName(const std::wstring& a, const std::wstring& b);

class TCustomProperties {
public:
    const std::vector<TCustomProperty>& Items() const noexcept { return fItems; }
    long Count() const noexcept { return static_cast<long>(fItems.size()); }
    bool Contains(const std::wstring& name) const;
    // Appends the property; false, and nothing added, when the name exists
    // or the type is not one of the four.
    bool Add(const std::wstring& name, SwDmCustomInfoType type, const std::wstring& value);
    // Removes the property; false when there is none of that name.
    bool Delete(const std::wstring& name);

private:
    std::vector<TCustomProperty>::iterator Find(const std::wstring& name);
    std::vector<TCustomProperty> fItems;
};

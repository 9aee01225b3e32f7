#pragma once
// An environment variable of this process, inherited by the programs it
// starts, changed for the life of the object.
#include <optional>
#include <string>

// Sets the variable to value (std::nullopt: removes it); at the end it is
// exactly as before: the same value, set but empty, or not set at all.
class TEnvironmentScope {
public:
    TEnvironmentScope(std::wstring name, const std::optional<std::wstring>& value);
    ~TEnvironmentScope();
    TEnvironmentScope(const TEnvironmentScope&) = delete;
    TEnvironmentScope& operator=(const TEnvironmentScope&) = delete;

private:
    std::wstring fName;
    std::optional<std::wstring> fPrevious;  // none: the variable was not set
};

// The variable's value, or std::nullopt when it is not set.
std::optional<std::wstring> EnvironmentValue(const std::wstring& name);

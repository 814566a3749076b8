// The settings store in the registry: string values under one key of
// HKEY_CURRENT_USER, created when the first value is written.
#pragma once
#include <windows.h>

#include <string>

#include "core/settings.h"

namespace vek::win {

// Where the program keeps its settings.
inline constexpr const char* kSettingsKey = "Software\\Vek Chat\\Configuration";

class RegistrySettings final : public SettingsStore {
public:
    explicit RegistrySettings(std::string key = kSettingsKey) : key_(std::move(key)) {}
    // A string value's text up to its first NUL; another type is Other.
    StoredValue Get(std::string_view name) override;
    [[nodiscard]] bool Set(std::string_view name, const std::string& value) override;

private:
    std::string key_;
};

}  // namespace vek::win

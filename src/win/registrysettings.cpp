#include "win/registrysettings.h"

#include "win/handles.h"

namespace vek::win {

StoredValue RegistrySettings::Get(std::string_view name) {
    const std::string n(name);
    DWORD type = 0, bytes = 0;
    LSTATUS st = ::RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), n.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                                nullptr, &bytes);
    if (st != ERROR_SUCCESS) return {};
    if (type != REG_SZ) return {StoredValue::Kind::Other, {}};
    // The value may change between the two calls; try again a few times.
    for (int attempt = 0; attempt < 3 && bytes > 0; ++attempt) {
        std::string buf(bytes, '\0');
        st = ::RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), n.c_str(), RRF_RT_REG_SZ, nullptr, buf.data(), &bytes);
        if (st == ERROR_SUCCESS) {
            buf.resize(bytes);
            const size_t nul = buf.find('\0');
            if (nul != std::string::npos) buf.resize(nul);
            return {StoredValue::Kind::Text, std::move(buf)};
        }
        if (st != ERROR_MORE_DATA) break;
    }
    return {StoredValue::Kind::Text, {}};
}

bool RegistrySettings::Set(std::string_view name, const std::string& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return false;
    UniqueKey k(raw);
    const std::string n(name);
    return ::RegSetValueExA(k.get(), n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace vek::win

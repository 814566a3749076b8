#include "app/mdlChat.h"

#include <optional>
#include <utility>

#include "app/frmChat.h"
#include "core/shell_rules.h"
#include "win/handles.h"
#include "win/window.h"

namespace mdlChat {

std::string LogFile = "?";
bool AutostartLog = false;

std::string GetSetting(const char* key, const std::string& def) {
    DWORD bytes = 0;
    LSTATUS st = ::RegGetValueA(HKEY_CURRENT_USER, SettingsKey, key, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (st != ERROR_SUCCESS || bytes == 0) return def;
    // The value may change between the two calls; try again a few times.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string buf(bytes, '\0');
        st = ::RegGetValueA(HKEY_CURRENT_USER, SettingsKey, key, RRF_RT_REG_SZ, nullptr, buf.data(), &bytes);
        if (st == ERROR_SUCCESS) {
            buf.resize(bytes);
            size_t nul = buf.find('\0');
            if (nul != std::string::npos) buf.resize(nul);
            return buf;
        }
        if (st != ERROR_MORE_DATA) break;
    }
    return def;
}

bool SaveSetting(const char* key, const std::string& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS)
        return false;
    vek::win::UniqueKey k(raw);
    return ::RegSetValueExA(k.get(), key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

namespace {

bool ReadBool(const char* key, bool def) {
    return vek::ParseStoredBool(GetSetting(key, vek::StoredBool(def))).value_or(def);
}

// The stored "Run Before": nullopt when absent; a value of another type than
// a string counts as text that is not understood.
std::optional<std::string> StoredRunBefore() {
    DWORD type = 0, bytes = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, SettingsKey, "Run Before", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ) return std::string(bytes > 0 ? "\x01" : "");
    return GetSetting("Run Before", "");
}

}  // namespace

void LoadSettings() {
    if (!vek::HasRunBefore(StoredRunBefore())) {
        if (!SaveSetting("Run Before", "True") || !SaveSetting("Log", "?") || !SaveSetting("Autostart Log", "False"))
            vek::win::ReportFailure(L"VekChat: the first run's settings could not be saved");
    }
    // An empty path is no path.
    std::string log = GetSetting("Log", "?");
    LogFile = log.empty() ? std::string("?") : std::move(log);
    AutostartLog = ReadBool("Autostart Log", false);
}

vek::AlertSettings LoadAlertSettings() {
    vek::AlertSettings s;
    s.flashOnPages = ReadBool(vek::kFlashOnPagesValue, vek::kFlashOnPagesDefault);
    s.words = vek::AlertWords::Parse(GetSetting(vek::kAlertWordsValue, ""));
    s.playSound = ReadBool(vek::kPlaySoundValue, vek::kPlaySoundDefault);
    return s;
}

bool SaveAlertSettings(const vek::AlertSettings& s) {
    // All three, whether or not one fails.
    const bool flash = SaveSetting(vek::kFlashOnPagesValue, vek::StoredBool(s.flashOnPages));
    const bool words = SaveSetting(vek::kAlertWordsValue, s.words.Format());
    const bool sound = SaveSetting(vek::kPlaySoundValue, vek::StoredBool(s.playSound));
    return flash && words && sound;
}

int Main(HINSTANCE instance) {
    LoadSettings();
    frmChat form;
    if (!form.Create(instance)) return 1;
    return form.RunMessageLoop();
}

}  // namespace mdlChat

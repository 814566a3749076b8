#include "log/alertsdialog.h"

#include "resource.h"
#include "win/text.h"
#include "win/window.h"

namespace vek {

namespace {

struct DialogState {
    AlertSettings settings;
    bool ok = false;
};

// Room for the longest list of words and their separators; what does not
// fit the limits is cut when the words are read.
constexpr int kWordsLimit = static_cast<int>(kMaxAlertWords * (kMaxAlertWordBytes + 2));

// Over the middle of the window it belongs to.
void CenterOnOwner(HWND dlg) {
    RECT o{}, r{};
    ::GetWindowRect(::GetWindow(dlg, GW_OWNER), &o);
    ::GetWindowRect(dlg, &r);
    const int x = (o.left + o.right - (r.right - r.left)) / 2, y = (o.top + o.bottom - (r.bottom - r.top)) / 2;
    ::SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(dlg, DM_REPOSITION, 0, 0);  // kept on its monitor
}

INT_PTR CALLBACK AlertsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<DialogState*>(lp);
            ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
            CenterOnOwner(dlg);
            ::CheckDlgButton(dlg, IDC_ALERT_FLASH, state->settings.flashOnPages ? BST_CHECKED : BST_UNCHECKED);
            ::CheckDlgButton(dlg, IDC_ALERT_SOUND, state->settings.playSound ? BST_CHECKED : BST_UNCHECKED);
            ::SendDlgItemMessageW(dlg, IDC_ALERT_WORDS, EM_LIMITTEXT, kWordsLimit, 0);
            try {
                ::SetDlgItemTextW(dlg, IDC_ALERT_WORDS, win::ToWide(state->settings.words.Format()).c_str());
            } catch (...) {
                win::ReportFailure(L"VekChat: the alert words could not be shown");
            }
            return TRUE;  // the focus goes to the first control
        }
        case WM_COMMAND:
            if (!state) return FALSE;
            if (LOWORD(wp) == IDOK) {
                try {
                    state->settings.flashOnPages = ::IsDlgButtonChecked(dlg, IDC_ALERT_FLASH) == BST_CHECKED;
                    state->settings.playSound = ::IsDlgButtonChecked(dlg, IDC_ALERT_SOUND) == BST_CHECKED;
                    state->settings.words =
                        AlertWords::Parse(win::ToAnsi(win::WindowTextWide(::GetDlgItem(dlg, IDC_ALERT_WORDS))));
                } catch (...) {
                    win::ReportFailure(L"VekChat: the alert settings could not be read");  // the dialog stays
                    return TRUE;
                }
                state->ok = true;
                ::EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                ::EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<AlertSettings> ShowAlertsDialog(HINSTANCE instance, HWND owner, const AlertSettings& current) {
    DialogState state{current, false};
    const INT_PTR r = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ALERTS), owner, &AlertsProc,
                                        reinterpret_cast<LPARAM>(&state));
    if (r == -1) win::ReportFailure(L"VekChat: the Alerts dialog could not be shown");
    if (!state.ok) return std::nullopt;
    return state.settings;
}

}  // namespace vek

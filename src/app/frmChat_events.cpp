// The main window's event handlers and public methods: each asks a component
// and applies its answer to the window.
#include "app/frmChat.h"

#include <richedit.h>

#include "compose/closeprompt.h"
#include "core/message.h"
#include "core/placement.h"
#include "core/shell_rules.h"
#include "log/alertsdialog.h"
#include "log/chatsaver.h"
#include "log/opendialog.h"
#include "version_info.h"
#include "win/richedit.h"
#include "win/text.h"
#include "win/wholefile.h"
#include "win/windowplace.h"

using namespace vek::win;

// ------------------------------------------------------------- the window

void frmChat::Form_Load() {
    ::SetWindowTextW(hWnd(),
                     ToWide(vek::WindowCaption({VEK_VERSION_MAJOR, VEK_VERSION_MINOR, VEK_VERSION_PATCH})).c_str());

    // Colours: the window paints its own background; the boxes get theirs here.
    for (HWND h : {rtfChatText, rtfPages, rtfMessage}) {
        ::SendMessageW(h, EM_SETBKGNDCOLOR, 0, vek::BackgroundColor);
        SetSel(h, 0, 0);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_COLOR;
        cf.crTextColor = vek::NormalColor;
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    }

    alerts_.SetSettings(settings_.alerts);
    if (!RestoreWindowPlace()) ::ShowWindow(hWnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hWnd());

    SetChangeLogCaption();
    ApplyViewChoices();
    ::CheckMenuItem(SubMenu(kLogMenu), IDM_LOG_AUTOSTART,
                    MF_BYCOMMAND | (settings_.autostartLog ? MF_CHECKED : MF_UNCHECKED));
    if (settings_.autostartLog) StartLog();
}

void frmChat::SaveSettings() {
    SaveWindowPlace();
    if (!vek::SaveSessionSettings(store_, settings_)) ReportFailure(L"VekChat: the settings could not be saved");
}

void frmChat::Form_Unload() {
    // A message the game has not taken yet: the player chooses.
    if (!vek::MayCloseWhileTyping(hWnd(), game_)) return;
    SaveSettings();
    // The program ends here: following stops without another pass.
    log_.StopNow();
    window_.reset();
}

void frmChat::Form_GotFocus() {
    // Back from another window (Alt+Tab, the taskbar, a click on the title
    // bar, a restore): typing goes where it went before, at first into the
    // composer, not into the frame where it would be lost.
    HWND to = focusBack_ ? focusBack_ : rtfMessage;
    if (!::IsWindowVisible(to) || !::IsWindowEnabled(to)) to = rtfMessage;
    if (::IsWindowVisible(to) && ::IsWindowEnabled(to)) ::SetFocus(to);
}

void frmChat::mnuFileExit_Click() { Form_Unload(); }

bool frmChat::RestoreWindowPlace() {
    const std::optional<vek::Placement>& stored = settings_.placement;
    if (!stored) return false;
    const std::optional<vek::Placement> place =
        vek::RestoredPlacement(*stored, DpiNear(stored->Bounds()), WorkAreas());
    if (!place) return false;  // its monitor is gone: the creation size
    restoringPlace_ = true;
    const bool shown = ShowAtPlacement(hWnd(), *place);
    restoringPlace_ = false;
    return shown;
}

void frmChat::SaveWindowPlace() {
    const std::optional<vek::Placement> place = GetPlacement(hWnd());
    if (!place) return;
    settings_.placement = place;
    if (!vek::SavePlacement(store_, *place)) ReportFailure(L"VekChat: the window's place could not be saved");
}

// ------------------------------------------------------ following the log

void frmChat::StartLog() {
    log_.Start(settings_.logFile);
    EnableFollowingControls(true);
    // The window was shown before the composer could take the focus: typing
    // goes there now, unless the player has put the focus elsewhere.
    if (::GetFocus() == hWnd()) ::SetFocus(rtfMessage);
}

void frmChat::StopLog() {
    log_.Stop();
    display_.ShowWaiting();  // the last passes' lines, before anything else happens
    EnableFollowingControls(false);
}

void frmChat::PassDone(bool more, const vek::PassFacts& pass) {
    (void)more;
    if (!pass.renamedLost.empty())
        lines_.AddNotice("VekChat: the last lines of the renamed log " + pass.renamedLost + " could not be read.");
    UpdateNewLinesBar();
}

void frmChat::AppendData(const std::string& line) {
    lines_.AddInput(line);
    UpdateNewLinesBar();
}

void frmChat::mnuLogAlerts_Click() {
    const std::optional<vek::AlertSettings> chosen = vek::ShowAlertsDialog(instance_, hWnd(), alerts_.Settings());
    if (!chosen) return;  // cancelled: nothing changes
    alerts_.SetSettings(*chosen);
    settings_.alerts = *chosen;
    if (!vek::SaveAlertSettings(store_, *chosen)) ReportFailure(L"VekChat: the alert settings could not be saved");
}

// ------------------------------------------------------- reading the chat

void frmChat::ApplyViewChoices() {
    const vek::ViewChoices& v = settings_.view;
    for (vek::LineKind kind : vek::kLineKinds)
        CheckMenuItemById(IDM_VIEW_CHATLINES + static_cast<UINT>(kind), v.shown.Has(kind));
    CheckMenuItemById(IDM_FILE_SAVETIMES, v.saveTimes);
    if (v.pagesPane) ShowPagesPane(true);
    // Kept on top was asked for: a window the system would not raise opens as any other.
    if (v.alwaysOnTop && !ApplyAlwaysOnTop(true)) settings_.view.alwaysOnTop = false;
}

void frmChat::SaveViewChoice(vek::ViewChoice which) {
    if (!vek::SaveViewChoice(store_, settings_.view, which))
        ReportFailure(L"VekChat: a View menu choice could not be saved");
}

void frmChat::mnuViewLines_Click(vek::LineKind kind) {
    // The display shows the kinds ticked, and a save writes them.
    vek::KindFilter& shown = settings_.view.shown;
    shown = shown.With(kind, !shown.Has(kind));
    CheckMenuItemById(IDM_VIEW_CHATLINES + static_cast<UINT>(kind), shown.Has(kind));
    display_.SetFilter(shown);
    UpdateNewLinesBar();
    SaveViewChoice(vek::ShowChoiceOf(kind));
}

void frmChat::mnuViewAlwaysOnTop_Click() {
    const bool on = !settings_.view.alwaysOnTop;
    if (!ApplyAlwaysOnTop(on)) return;  // the window stays as it was, and so does the choice
    settings_.view.alwaysOnTop = on;
    SaveViewChoice(vek::ViewChoice::AlwaysOnTop);
}

bool frmChat::ApplyAlwaysOnTop(bool on) {
    if (!SetAlwaysOnTop(hWnd(), on, {tipMessageType, lineTimeTip_.Window(), pagesTimeTip_.Window()})) {
        ReportFailure(L"VekChat: the window could not be kept on top");
        return false;
    }
    CheckMenuItemById(IDM_VIEW_ALWAYSONTOP, on);
    return true;
}

void frmChat::mnuFileSaveChat_Click() {
    const std::optional<vek::SaveTarget> target =
        vek::AskSaveTarget(hWnd(), ToWide(settings_.view.saveFolder), vek::TodaysSaveName());
    if (!target) return;  // cancelled
    kinds_.CatchUp(session_);
    const DWORD error =
        vek::SaveChat(*target, session_, kinds_, settings_.view.shown, settings_.view.saveTimes, rtfChatText);
    if (error != ERROR_SUCCESS) {
        // The player asked for this save: say why it failed, and that nothing was lost.
        const std::wstring text = L"The chat could not be saved to\n" + target->path + L"\n\n" + ErrorText(error) +
                                  L".\n\nA file already there was left as it was.";
        ::MessageBoxW(hWnd(), text.c_str(), L"Save Chat As", MB_OK | MB_ICONWARNING);
        return;
    }
    std::size_t slash = target->path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return;
    if (slash == 2 && target->path[1] == L':') ++slash;  // a drive's root keeps its backslash
    settings_.view.saveFolder = ToAnsi(target->path.substr(0, slash));
    SaveViewChoice(vek::ViewChoice::SaveFolder);
}

void frmChat::mnuFileSaveTimes_Click() {
    settings_.view.saveTimes = !settings_.view.saveTimes;
    CheckMenuItemById(IDM_FILE_SAVETIMES, settings_.view.saveTimes);
    SaveViewChoice(vek::ViewChoice::SaveTimes);
}

void frmChat::rtfChatText_Scroll(UINT msg, WPARAM wp) {
    display_.ViewMoved(msg, wp);
    UpdateNewLinesBar();
}

void frmChat::scrChatText_Scroll(int code) {
    display_.BarScrolled(code);
    UpdateNewLinesBar();
}

void frmChat::lblNewLines_Click() {
    display_.FollowEnd();
    UpdateNewLinesBar();
}

void frmChat::UpdateNewLinesBar() {
    const vek::ScrollLock& lock = display_.Lock();
    const std::uint64_t count = lock.BarShown() ? lock.NewLines() : 0;
    if (count == newLinesShown_) return;
    newLinesShown_ = count;
    if (count > 0) ::SetWindowTextW(lblNewLines, FromUtf8(vek::NewLinesBarText(count)).c_str());
    ::ShowWindow(lblNewLines, count > 0 ? SW_SHOWNA : SW_HIDE);
}

void frmChat::rtfChatText_MouseMove(POINT client) { lineTimeTip_.MouseMoved(client); }

void frmChat::rtfChatText_MouseLeave() { lineTimeTip_.MouseLeft(); }

void frmChat::tmrLineTime_Timer() {
    if (const std::optional<std::size_t> entry = display_.EntryAt(lineTimeTip_.Rested()))
        lineTimeTip_.Show(session_[*entry].lead);
}

void frmChat::mnuLogStart_Click() { StartLog(); }

void frmChat::mnuLogStop_Click() { StopLog(); }

void frmChat::mnuLogAutostart_Click() {
    settings_.autostartLog = !settings_.autostartLog;
    ::CheckMenuItem(SubMenu(kLogMenu), IDM_LOG_AUTOSTART,
                    MF_BYCOMMAND | (settings_.autostartLog ? MF_CHECKED : MF_UNCHECKED));
}

void frmChat::mnuFileChangeLog_Click() {
    const std::string path = vek::ShowOpenDialog(hWnd(), "Choose Log File",
                                                 "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", "[Use CurDir]", "txt");
    if (path.empty()) return;  // cancelled: nothing changes
    const bool following = log_.Following();
    // Following goes on, on the chosen file, as if started from the Log menu.
    if (following) StopLog();
    settings_.logFile = path;
    SetChangeLogCaption();
    if (following) StartLog();
}

void frmChat::SetChangeLogCaption() {
    std::wstring text = ToWide(vek::ChangeLogCaption(settings_.logFile));
    text += L"\tCtrl+O";
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = text.data();
    ::SetMenuItemInfoW(SubMenu(kFileMenu), IDM_FILE_CHANGELOG, FALSE, &mi);
}

// ------------------------------------------------------------- Edit menu

void frmChat::mnuEdit_Click() {
    const vek::EditMenuState s = edit_.MenuState(FocusedBox());
    const bool writable = ::GetFocus() != rtfPages;  // the pages pane is read-only
    EnableMenuItemById(IDM_EDIT_CUT, s.cut && writable);
    EnableMenuItemById(IDM_EDIT_COPY, s.copy);
    EnableMenuItemById(IDM_EDIT_DELETE, s.del && writable);
    EnableMenuItemById(IDM_EDIT_PASTE, s.paste && writable);
}

void frmChat::mnuEditUndo_Click() { edit_.Undo(WritableBox()); }
void frmChat::mnuEditCut_Click() { edit_.Cut(WritableBox()); }
void frmChat::mnuEditCopy_Click() { edit_.Copy(FocusedBox()); }
void frmChat::mnuEditPaste_Click() { edit_.Paste(WritableBox()); }
void frmChat::mnuEditDelete_Click() { edit_.Delete(WritableBox()); }
void frmChat::mnuEditSelectAll_Click() { edit_.SelectAll(FocusedBox()); }

void frmChat::mnuEditFind_Click() { finder_.OpenDialog(); }
void frmChat::mnuEditFindNext_Click() { FindInDisplay(false); }
void frmChat::mnuEditFindPrevious_Click() { FindInDisplay(true); }

void frmChat::dlgFind_Message(LPARAM lp) {
    if (finder_.OnDialogMessage(lp)) FindInDisplay(false);
}

void frmChat::FindInDisplay(bool reverse) {
    if (!finder_.HasSearch()) {
        finder_.OpenDialog();
        return;
    }
    if (!IsEditMenuEnabled()) {
        ::MessageBeep(MB_OK);  // the dialog outlived following: the display is off
        return;
    }
    switch (finder_.FindNext(reverse)) {
        case vek::ChatFinder::Result::Found:
            display_.ViewMoved();  // a match off the bottom holds the view there
            UpdateNewLinesBar();
            break;
        case vek::ChatFinder::Result::NotFound: ::MessageBeep(MB_OK); break;
        case vek::ChatFinder::Result::NoText: break;
    }
}

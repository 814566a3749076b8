// The main window's event handlers and public methods: each asks a component
// and applies its answer to the window.
#include "app/frmChat.h"

#include <commctrl.h>

#include <algorithm>
#include <richedit.h>

#include "app/mdlChat.h"
#include "core/message.h"
#include "core/placement.h"
#include "core/shell_rules.h"
#include "core/view_settings.h"
#include "log/alertsdialog.h"
#include "log/chatsaver.h"
#include "log/opendialog.h"
#include "version_info.h"
#include "win/richedit.h"
#include "win/text.h"
#include "win/wholefile.h"
#include "win/windowplace.h"

using namespace vek::win;

namespace {

// Passes come at this interval while the log is quiet, and while more is
// waiting at the shortest one there is; timer messages come only when no
// input is queued, so typing goes first.
constexpr UINT kFollowIntervalMs = 50;
constexpr UINT kCatchUpIntervalMs = USER_TIMER_MINIMUM;
// The interval while the folder's change notification has proven itself, and
// how many growths in a row it must have announced for that.
constexpr UINT kTrustedIntervalMs = 250;
constexpr int kTrustedWakes = 3;
// How long Stop may go on reading what the log got before it.
constexpr ULONGLONG kLastPassesMs = 1000;

}  // namespace

// ------------------------------------------------------------- the window

void frmChat::Form_Load() {
    ::SetWindowTextW(hWnd(),
                     ToWide(vek::WindowCaption({VEK_VERSION_MAJOR, VEK_VERSION_MINOR, VEK_VERSION_PATCH})).c_str());

    // Colours: the window paints its own background; the boxes get theirs here.
    for (HWND h : {rtfChatText, rtfMessage}) {
        ::SendMessageW(h, EM_SETBKGNDCOLOR, 0, vek::BackgroundColor);
        SetSel(h, 0, 0);
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_COLOR;
        cf.crTextColor = vek::NormalColor;
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
        ::SendMessageW(h, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    }

    alerts_.SetSettings(mdlChat::LoadAlertSettings());
    if (!RestoreWindowPlace()) ::ShowWindow(hWnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hWnd());

    SetChangeLogCaption();
    LoadViewChoices();
    ::CheckMenuItem(SubMenu(kLogMenu), IDM_LOG_AUTOSTART,
                    MF_BYCOMMAND | (mdlChat::AutostartLog ? MF_CHECKED : MF_UNCHECKED));
    if (mdlChat::AutostartLog) StartLog();
}

void frmChat::SaveSettings() {
    SaveWindowPlace();
    if (!mdlChat::SaveSetting("Log", mdlChat::LogFile) ||
        !mdlChat::SaveSetting("Autostart Log", vek::StoredBool(IsAutostartChecked())))
        ReportFailure(L"VekChat: the settings could not be saved");
}

void frmChat::Form_Unload() {
    SaveSettings();
    // The program ends here: following stops without another pass.
    Logging = false;
    StopFollowTimer();
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

void frmChat::Form_KeyDown(int& KeyCode, int Shift) {
    (void)Shift;  // F9 recalls with any modifiers
    // Recall the last message into the composer; the key itself goes on to
    // the focused control.
    if (KeyCode == VK_F9 && !sender_.LastMessage().empty()) composer_.Recall(sender_.LastMessage());
}

void frmChat::mnuFileExit_Click() { Form_Unload(); }

bool frmChat::RestoreWindowPlace() {
    const std::optional<vek::Placement> stored = vek::ParsePlacement(mdlChat::GetSetting(vek::kPlacementValue, ""));
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
    // A place beyond what may be stored keeps the one stored before.
    if (!place || !vek::ParsePlacement(vek::FormatPlacement(*place))) return;
    if (!mdlChat::SaveSetting(vek::kPlacementValue, vek::FormatPlacement(*place)))
        ReportFailure(L"VekChat: the window's place could not be saved");
}

// ------------------------------------------------------ following the log

void frmChat::StartLog() {
    follower_.Start(mdlChat::LogFile);
    catchingUp_ = false;
    // Trusted at first: a missed growth (found by the timer) ends that.
    wakesTrusted_ = kTrustedWakes;
    Logging = true;
    EnableFollowingControls(true);
    watch_.Watch(mdlChat::LogFile);
    SetFollowTimer(kFollowIntervalMs);
}

void frmChat::StopLog() {
    // Every complete line written before the Stop is shown: the passes it
    // would have had come now (within a bound, for a burst still arriving).
    if (Logging) {
        const ULONGLONG until = ::GetTickCount64() + kLastPassesMs;
        while (follower_.Pass(pacer_.Budget()) && ::GetTickCount64() < until) {
        }
    }
    Logging = false;
    catchingUp_ = false;
    StopFollowTimer();
    watch_.Stop();
    EnableFollowingControls(false);
}

void frmChat::AppendData(const std::string& line) {
    lines_.AddInput(line);
    UpdateNewLinesBar();
}

void frmChat::tmrFollow_Timer() { FollowPass(false); }

void frmChat::FollowPass(bool woken) {
    if (!Logging) return;
    passRan_ = true;
    // Each pass is sized by the time the ones before took, so that the
    // window keeps answering while a burst goes in.
    LARGE_INTEGER freq{}, t0{}, t1{};
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    const bool more = follower_.Pass(pacer_.Budget());
    ::QueryPerformanceCounter(&t1);
    pacer_.Took(follower_.LastPassBytes(),
                static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart));
    catchingUp_ = more;
    UpdateNewLinesBar();
    // While the folder's change notification announces the log's growth, a
    // quiet log is looked at less often; growth it missed (as on Windows a
    // log held open by the game may grow without one) brings the short
    // interval back, until it has announced a few growths in a row again.
    if (follower_.LastPassBytes() > 0) wakesTrusted_ = woken ? std::min(wakesTrusted_ + 1, kTrustedWakes) : 0;
    if (!Logging) return;
    const UINT quiet = wakesTrusted_ >= kTrustedWakes ? kTrustedIntervalMs : kFollowIntervalMs;
    follower_.SetIdentityCheckEvery(static_cast<int>(1000 / quiet));
    SetFollowTimer(more ? kCatchUpIntervalMs : quiet);
}

void frmChat::mnuLogAlerts_Click() {
    const std::optional<vek::AlertSettings> chosen = vek::ShowAlertsDialog(instance_, hWnd(), alerts_.Settings());
    if (!chosen) return;  // cancelled: nothing changes
    alerts_.SetSettings(*chosen);
    if (!mdlChat::SaveAlertSettings(*chosen)) ReportFailure(L"VekChat: the alert settings could not be saved");
}

// ------------------------------------------------------- reading the chat

namespace {

bool ReadChoice(vek::ViewSetting s) {
    const vek::StoredSettingName& n = vek::Stored(s);
    const bool fallback = vek::ParseStoredBool(n.fallback).value_or(false);
    return vek::ParseStoredBool(mdlChat::GetSetting(n.name, n.fallback)).value_or(fallback);
}

void SaveChoice(vek::ViewSetting s, bool on) {
    if (!mdlChat::SaveSetting(vek::Stored(s).name, vek::StoredBool(on)))
        ReportFailure(L"VekChat: a View menu choice could not be saved");
}

}  // namespace

void frmChat::LoadViewChoices() {
    for (vek::LineKind kind : vek::kLineKinds)
        CheckMenuItemById(IDM_VIEW_CHATLINES + static_cast<UINT>(kind), ReadChoice(vek::ShowSettingOf(kind)));
    CheckMenuItemById(IDM_FILE_SAVETIMES, ReadChoice(vek::ViewSetting::SaveTimes));
    if (ReadChoice(vek::ViewSetting::AlwaysOnTop)) ApplyAlwaysOnTop(true);
}

vek::KindFilter frmChat::ShownKinds() const {
    vek::KindFilter f;
    for (vek::LineKind kind : vek::kLineKinds)
        f = f.With(kind, IsMenuItemChecked(IDM_VIEW_CHATLINES + static_cast<UINT>(kind)));
    return f;
}

void frmChat::mnuViewLines_Click(vek::LineKind kind) {
    // Kept for the views that show lines by kind, and for saving the chat.
    const UINT id = IDM_VIEW_CHATLINES + static_cast<UINT>(kind);
    const bool on = !IsMenuItemChecked(id);
    CheckMenuItemById(id, on);
    SaveChoice(vek::ShowSettingOf(kind), on);
}

void frmChat::mnuViewAlwaysOnTop_Click() {
    const bool on = !IsMenuItemChecked(IDM_VIEW_ALWAYSONTOP);
    ApplyAlwaysOnTop(on);
    SaveChoice(vek::ViewSetting::AlwaysOnTop, on);
}

void frmChat::ApplyAlwaysOnTop(bool on) {
    if (!SetAlwaysOnTop(hWnd(), on, {tipMessageType, lineTimeTip_.Window()})) {
        ReportFailure(L"VekChat: the window could not be kept on top");
        return;
    }
    CheckMenuItemById(IDM_VIEW_ALWAYSONTOP, on);
}

void frmChat::mnuFileSaveChat_Click() {
    const vek::StoredSettingName& folderSetting = vek::Stored(vek::ViewSetting::SaveFolder);
    const std::wstring folder = ToWide(mdlChat::GetSetting(folderSetting.name, folderSetting.fallback));
    const std::optional<vek::SaveTarget> target = vek::AskSaveTarget(hWnd(), folder, vek::TodaysSaveName());
    if (!target) return;  // cancelled
    kinds_.CatchUp(session_);
    const DWORD error =
        vek::SaveChat(*target, session_, kinds_, ShownKinds(), IsMenuItemChecked(IDM_FILE_SAVETIMES), rtfChatText);
    if (error != ERROR_SUCCESS) {
        // The player asked for this save: say why it failed, and that nothing was lost.
        const std::wstring text = L"The chat could not be saved to\n" + target->path + L"\n\n" + ErrorText(error) +
                                  L".\n\nA file already there was left as it was.";
        ::MessageBoxW(hWnd(), text.c_str(), L"Save Chat As", MB_OK | MB_ICONWARNING);
        return;
    }
    std::size_t slash = target->path.find_last_of(L"\\/");
    if (slash == 2 && target->path[1] == L':') ++slash;  // a drive's root keeps its backslash
    if (slash != std::wstring::npos && !mdlChat::SaveSetting(folderSetting.name, ToAnsi(target->path.substr(0, slash))))
        ReportFailure(L"VekChat: the folder saved to could not be kept");
}

void frmChat::mnuFileSaveTimes_Click() {
    const bool on = !IsMenuItemChecked(IDM_FILE_SAVETIMES);
    CheckMenuItemById(IDM_FILE_SAVETIMES, on);
    SaveChoice(vek::ViewSetting::SaveTimes, on);
}

void frmChat::rtfChatText_Scroll() {
    display_.ViewMoved();
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
    if (const std::optional<std::size_t> line = displayText_.LineAt(lineTimeTip_.Rested()))
        lineTimeTip_.Show(display_.LeadOf(*line));
}

void frmChat::mnuLogStart_Click() { StartLog(); }

void frmChat::mnuLogStop_Click() { StopLog(); }

void frmChat::mnuLogAutostart_Click() {
    ::CheckMenuItem(SubMenu(kLogMenu), IDM_LOG_AUTOSTART,
                    MF_BYCOMMAND | (IsAutostartChecked() ? MF_UNCHECKED : MF_CHECKED));
}

void frmChat::mnuFileChangeLog_Click() {
    const std::string path = vek::ShowOpenDialog(hWnd(), "Choose Log File",
                                                 "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", "[Use CurDir]", "txt");
    if (path.empty()) return;  // cancelled: nothing changes
    const bool following = Logging;
    // Following goes on, on the chosen file, as if started from the Log menu.
    if (following) StopLog();
    mdlChat::LogFile = path;
    SetChangeLogCaption();
    if (following) StartLog();
}

void frmChat::SetChangeLogCaption() {
    std::wstring text = ToWide(vek::ChangeLogCaption(mdlChat::LogFile));
    text += L"\tCtrl+O";
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = text.data();
    ::SetMenuItemInfoW(SubMenu(kFileMenu), IDM_FILE_CHANGELOG, FALSE, &mi);
}

// -------------------------------------------------------------- composing

std::string frmChat::FormatVek(HWND box) { return box == rtfMessage ? composer_.Markup() : vek::FormatVek(box); }

void frmChat::rtfMessage_KeyDown(int& KeyCode, int Shift) {
    const vek::Composer::KeyDown what = composer_.OnKeyDown(KeyCode, Shift);
    switch (what) {
        case vek::Composer::KeyDown::Paste:
            KeyCode = 0;
            mnuEditPaste_Click();
            break;
        case vek::Composer::KeyDown::Back:
        case vek::Composer::KeyDown::Forward:
            KeyCode = 0;
            StepHistory(what == vek::Composer::KeyDown::Back);
            break;
        case vek::Composer::KeyDown::Consume: KeyCode = 0; break;
        case vek::Composer::KeyDown::Leave: break;
    }
}

void frmChat::rtfMessage_KeyPress(int& KeyAscii) {
    switch (composer_.OnKeyPress(KeyAscii)) {
        case vek::Composer::KeyPress::Send:
            KeyAscii = 0;
            SendComposedMessage();
            break;
        case vek::Composer::KeyPress::Consume: KeyAscii = 0; break;
        case vek::Composer::KeyPress::Leave: break;
    }
}

void frmChat::rtfMessage_SelChange() { composer_.OnSelChange(); }

void frmChat::SendComposedMessage() {
    RedrawFreeze freeze(rtfMessage);
    // Without a game window nothing goes out; the composer is emptied all the
    // same and F9 brings the message back.
    const std::string target = pageTo_.Text();
    sender_.Send(composer_.Markup(), target);
    NoteSentMessage(target);
    composer_.Clear();
}

void frmChat::NoteSentMessage(const std::string& target) {
    const int type = sender_.Type();
    history_.Sent(sender_.LastMessage(), type, target);
    if (type == vek::kPage) names_.PageSent(target);
}

void frmChat::StepHistory(bool back) {
    if (const std::optional<int> type = history_.Step(back, sender_.Type())) ShowMessageType(sender_.SetType(*type));
}

void frmChat::ReplyToPage(bool lastPaged) {
    const vek::ReplyTargets& replies = names_.Replies();
    const std::optional<std::string>& name = lastPaged ? replies.LastPaged() : replies.LastSender();
    if (!name) {
        ::MessageBeep(MB_OK);
        return;
    }
    ShowMessageType(sender_.SetType(vek::kPage));
    pageTo_.SetText(*name);
    ::SetFocus(rtfMessage);
}

namespace {

// A message's outgoing text as a notice shows it: without its closing CR.
std::string Shown(const std::string& outgoing) {
    return outgoing.empty() || outgoing.back() != '\r' ? outgoing : outgoing.substr(0, outgoing.size() - 1);
}

}  // namespace

void frmChat::MessageWaits(const std::string& text) {
    lines_.AddNotice("VekChat: the game does not answer; this message waits for it: " + Shown(text));
}

void frmChat::MessageGoesOn() { lines_.AddNotice("VekChat: the game answers again; the waiting message goes on."); }

void frmChat::MessageNotDelivered(const std::string& text, vek::GameTyper::Undelivered why, bool last) {
    const char* reason = why == vek::GameTyper::Undelivered::NoGame   ? "the game is not running"
                         : why == vek::GameTyper::Undelivered::Refused ? "the game refused it; run the game and "
                                                                         "VekChat the same way (not one as "
                                                                         "administrator)"
                                                                       : "the game's window closed";
    std::string notice = "VekChat: not delivered (";
    notice += reason;
    notice += "): " + Shown(text);
    notice += last ? "  F9 brings it back." : "  Ctrl+Up brings it back.";
    lines_.AddNotice(notice);
}

void frmChat::cmdMessageType_Click() { ShowMessageType(sender_.CycleType()); }

void frmChat::ShowMessageType(int type) {
    ::SendMessageW(cmdMessageType, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(typePictures_[static_cast<size_t>(type)].get()));
    ::InvalidateRect(cmdMessageType, nullptr, TRUE);
    ::ShowWindow(txtPageTo, type == vek::kPage ? SW_SHOWNA : SW_HIDE);
    MessageLeft = vek::ComposerLeft(type);
    Form_Resize();  // the composer's width follows its new left edge
    const std::wstring tip = ToWide(vek::MessageTypeTooltip(type));
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(cmdMessageType);
    ti.lpszText = const_cast<wchar_t*>(tip.c_str());
    ::SendMessageW(tipMessageType, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void frmChat::cmdMessageType_GotFocus() {
    // Only the first arrival is passed on; later ones (Tab) stay on the button.
    if (!FocusRedirected) ::SetFocus(sender_.Type() == vek::kPage ? txtPageTo : rtfMessage);
    FocusRedirected = true;
}

void frmChat::cmdMessageType_MouseUp() { ::SetFocus(sender_.Type() == vek::kPage ? txtPageTo : rtfMessage); }

void frmChat::txtPageTo_KeyPress(int& KeyAscii) {
    if (pageTo_.Refuses(KeyAscii)) KeyAscii = 0;
}

void frmChat::txtPageTo_Change() { pageTo_.OnChange(); }

void frmChat::txtPageTo_Typed() { pageTo_.Offer(names_.Recent()); }

// ------------------------------------------------------------- Edit menu

void frmChat::mnuEdit_Click() {
    const vek::EditMenuState s = edit_.MenuState(FocusedBox());
    EnableMenuItemById(IDM_EDIT_CUT, s.cut);
    EnableMenuItemById(IDM_EDIT_COPY, s.copy);
    EnableMenuItemById(IDM_EDIT_DELETE, s.del);
    EnableMenuItemById(IDM_EDIT_PASTE, s.paste);
}

void frmChat::mnuEditUndo_Click() { edit_.Undo(FocusedBox()); }
void frmChat::mnuEditCut_Click() { edit_.Cut(FocusedBox()); }
void frmChat::mnuEditCopy_Click() { edit_.Copy(FocusedBox()); }
void frmChat::mnuEditPaste_Click() { edit_.Paste(FocusedBox()); }
void frmChat::mnuEditDelete_Click() { edit_.Delete(FocusedBox()); }
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

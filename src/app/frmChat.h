// The main window. It owns its controls, its menus and the components that
// do the work (following the log and the chat display, the composer and the
// sender, the Edit commands), and it alone enables menus and controls. Its
// handlers carry the names of the events they answer (control_Event); each
// asks a component and applies the answer to the window. Key handlers
// return true when they used the key up: the control never sees it.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/ids.h"
#include "compose/composer.h"
#include "compose/composerhistory.h"
#include "compose/gametyper.h"
#include "compose/pagetobox.h"
#include "core/log_follower.h"
#include "core/message_sender.h"
#include "core/line_kinds.h"
#include "core/names.h"
#include "core/session_lines.h"
#include "core/settings.h"
#include "core/shown_line.h"
#include "edit/editcommands.h"
#include "log/alertwatch.h"
#include "log/chatdisplay.h"
#include "log/chatfinder.h"
#include "log/linetimetip.h"
#include "log/logsession.h"
#include "win/handles.h"
#include "win/window.h"

class frmChat final : private vek::win::MessageTarget,
                      private vek::GameTyper::Events,
                      private vek::LogSession::Events {
public:
    // The settings read at start-up, and the store the session's end and the
    // Alerts dialog write to; the store must outlive the window.
    frmChat(vek::Settings settings, vek::SettingsStore& store) : settings_(std::move(settings)), store_(store) {}
    frmChat(const frmChat&) = delete;
    frmChat& operator=(const frmChat&) = delete;
    ~frmChat() override;

    // Creates the window and runs Form_Load (which shows it and may start
    // following). Returns false when the window could not be made.
    [[nodiscard]] bool Create(HINSTANCE instance);
    HWND hWnd() const { return self_; }
    bool IsAlive() const { return window_ && ::IsWindow(window_.get()); }

    // Runs before a message from the queue is dispatched: key preview
    // (Form_KeyDown), the menu shortcuts and Tab between the controls.
    // Returns true when the message was used up here.
    bool PreTranslateMessage(MSG& msg);

    // One turn of the message loop: waits up to timeoutMs for input or for
    // the follower's wake-up, then handles everything that is queued.
    // Returns false once WM_QUIT arrived (its code in *quitCode).
    bool DoEvents(DWORD timeoutMs, int* quitCode = nullptr);
    // The message loop of the program: returns when the window is gone
    // (WM_QUIT), with the quit code.
    int RunMessageLoop();

    // The settings as the window holds them now.
    const vek::Settings& Settings() const { return settings_; }

    // ---- Public methods of the form
    void StartLog();
    void StopLog();
    // Writes one line of the log (followed by CR LF) into the chat display.
    void AppendData(const std::string& line);
    // The markup text of a rich text box's coloured content.
    std::string FormatVek(HWND box);

private:
    // ---- Event handlers
    void Form_Create();  // before the window is shown: menus, controls, fonts
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Form_GotFocus();    // the window itself got the focus: pass it on
    bool Form_KeyDown(int KeyCode, int Shift);
    void mnuFileChangeLog_Click();
    void mnuFileExit_Click();
    void mnuLogStart_Click();
    void mnuLogStop_Click();
    void mnuLogAutostart_Click();
    void mnuEdit_Click();
    void mnuEditUndo_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditDelete_Click();
    void mnuEditSelectAll_Click();
    void mnuEditFind_Click();
    void mnuEditFindNext_Click();
    void mnuEditFindPrevious_Click();
    void dlgFind_Message(LPARAM lp);  // Find Next in the Find dialog, or its closing
    void mnuLogAlerts_Click();
    void mnuFileSaveChat_Click();
    void mnuFileSaveTimes_Click();
    void mnuViewLines_Click(vek::LineKind kind);  // Chat, Page or Other Lines
    void mnuViewAlwaysOnTop_Click();
    void mnuViewPagesPane_Click();
    void rtfChatText_Scroll(UINT msg, WPARAM wp);  // the player moved the display's view (by that message)
    void scrChatText_Scroll(int code);  // the display's scroll bar
    void rtfChatText_MouseMove(POINT client);
    void rtfChatText_MouseLeave();
    void lblNewLines_Click();
    void tmrLineTime_Timer();   // the mouse rested on a display line
    void rtfPages_Scroll(UINT msg, WPARAM wp);  // the player moved the pane's view
    void scrPages_Scroll(int code);              // the pane's scroll bar
    void rtfPages_Answer(std::optional<std::size_t> entry);  // double click or Enter on a page line
    void tmrPagesTime_Timer();  // the mouse rested on a pane line
    bool Splitter_MouseDown(POINT client);  // true when the press is on the bar between display and pane
    void Splitter_MouseMove(POINT client);
    void Splitter_MouseUp();
    bool rtfMessage_KeyDown(int KeyCode, int Shift);
    bool rtfMessage_KeyPress(int KeyAscii);
    void rtfMessage_SelChange();
    void cmdMessageType_Click();
    bool cmdMessageType_KeyDown(int KeyCode);
    void cmdMessageType_GotFocus();
    void cmdMessageType_MouseUp();
    bool txtPageTo_KeyPress(int KeyAscii);
    void txtPageTo_Change();  // after any change of its text (paste, undo, ...)
    void txtPageTo_Typed();   // after a character it took
    std::optional<LRESULT> txtPageTo_CtlColor(HDC dc);
    std::optional<LRESULT> lblNewLines_CtlColor(HDC dc);
    void SendComposedMessage();  // Enter in the composer
    void NoteSentMessage(const std::string& target);  // the history and the names learn of a message sent
    void StepHistory(bool back);  // Ctrl+Up, Ctrl+Down
    void ReplyToPage(bool lastPaged);  // Ctrl+R, Ctrl+Shift+R
    void AnswerPage(const std::optional<std::string>& name);  // a Page to that player, the focus in the composer

    // ---- What following tells
    void PassDone(bool more, const vek::PassFacts& pass) override;

    // ---- What the game typer tells: a line in the display, no box
    void MessageWaits(const std::string& text) override;
    void MessageGoesOn() override;
    void MessageNotDelivered(const std::string& text, vek::GameTyper::Undelivered why, bool last) override;

    // Settings kept at unload (and at session end).
    void SaveWindowPlace();

    // ---- The window
    std::optional<LRESULT> OnMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) override;
    std::optional<LRESULT> OnFormMessage(UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> OnControlMessage(HWND ctl, UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void CreateMenuBar();
    void ApplyFonts();
    void LoadPictures();
    void Paint();
    void DrawTypeButton(const DRAWITEMSTRUCT& di);
    void OnCommand(UINT id);
    void OnDpiChanged(int dpi, const RECT* suggested);
    bool RunShortcut(WPARAM key);
    bool MoveFocusByTab(bool backwards);

    // ---- Window helpers
    int Px(int twips) const;  // twips to pixels at the window's DPI
    HMENU SubMenu(int place) const;
    bool IsMenuItemEnabled(UINT id) const;
    void EnableMenuItemById(UINT id, bool on);
    void EnableEditMenu(bool on);
    bool IsEditMenuEnabled() const;
    void CheckMenuItemById(UINT id, bool on);
    void ApplyViewChoices();  // the View menu's and the save's kept choices, shown and applied
    [[nodiscard]] bool ApplyAlwaysOnTop(bool on);
    void SaveViewChoice(vek::ViewChoice which);  // the choice the player just changed
    void SetChangeLogCaption();
    void SaveSettings();  // what unload and the end of the session keep
    void EnableFollowingControls(bool on);
    void ShowMessageType(int type);
    void FindInDisplay(bool reverse);
    void UpdateNewLinesBar();
    void ShowPagesPane(bool on);
    RECT SplitterRect() const;  // the bar between display and pane, client pixels (empty while the pane is hidden)
    void PlaceNewLinesBar();
    bool RestoreWindowPlace();  // true when the window was shown at its stored place
    vek::TextBox FocusedBox() const;

    // ---- Controls (children are owned by the window and die with it)
    HWND rtfChatText = nullptr;
    HWND txtPageTo = nullptr;
    HWND rtfMessage = nullptr;
    HWND cmdMessageType = nullptr;
    HWND tipMessageType = nullptr;  // tooltip window of cmdMessageType
    HWND lblNewLines = nullptr;     // the new-lines bar
    HWND scrChatText = nullptr;     // the display's scroll bar, beside it: it stands for the whole session
    HWND rtfPages = nullptr;        // the pages pane, below the display
    HWND scrPages = nullptr;        // its scroll bar

    // ---- Settings
    vek::Settings settings_;
    vek::SettingsStore& store_;

    // ---- Components
    vek::ChatDisplay display_;
    vek::AlertWatch alerts_;
    vek::SessionLines session_;  // every line shown in this run; the display shows a window of it
    vek::LineKinds kinds_;       // the kind of each of session_'s entries, caught up when needed
    vek::LineShaper lines_;  // the follower's lines, each worked out once, to the store, display, names, alerts
    vek::LogNames names_;  // the names the lines give, for replies and the page box
    vek::LogSession log_{lines_};
    vek::Composer composer_;
    vek::PageToBox pageTo_;
    vek::ComposerHistory history_{composer_, pageTo_};
    vek::GameTyper game_;
    vek::MessageSender sender_{game_};
    vek::EditCommands edit_;
    vek::ChatFinder finder_;
    vek::LineTimeTip lineTimeTip_;
    vek::ChatDisplay pages_;  // the pages pane: the session's page lines
    vek::LineTimeTip pagesTimeTip_;

    // ---- State
    static constexpr UINT_PTR kLineTimeTimer = 2;
    static constexpr UINT_PTR kPagesTimeTimer = 3;
    int splitGrab_ = -1;  // while the splitter is dragged: where in it the mouse took it, pixels
    bool FocusRedirected = false;  // the button passed the focus on once
    HWND focusBack_ = nullptr;     // the control that had the focus last
    int MessageLeft = 360;         // composer's left edge, twips
    std::uint64_t newLinesShown_ = 0;  // the count on the new-lines bar; 0 while it is hidden
    bool restoringPlace_ = false;      // the window goes to its stored place and size

    HINSTANCE instance_ = nullptr;
    vek::win::UniqueWindow window_;
    HWND self_ = nullptr;  // the window from its first message to its last (window_ lets go earlier)
    vek::win::UniqueFont font_;
    vek::win::UniqueBrush backgroundBrush_;
    vek::win::UniqueBrush newLinesBrush_;
    std::array<vek::win::UniqueIcon, 3> typePictures_;
    vek::win::UniqueIcon bigIcon_, smallIcon_;
    int dpi_ = 96;
    int lineY_ = 3360;  // linPageTo's y, twips
};

// The main window: its controls, menus, palette, state and event handlers.
// Handlers carry the names of the events they answer (control_Event). They
// are public so that tests can drive them on a real window.
#pragma once
#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "core/chat_display.h"
#include "core/follower.h"
#include "core/palette.h"
#include "win/handles.h"

// Menu command identifiers.
enum : UINT {
    IDM_FILE_CHANGELOG = 100,
    IDM_FILE_EXIT,
    IDM_EDIT_UNDO = 200,
    IDM_EDIT_CUT,
    IDM_EDIT_COPY,
    IDM_EDIT_PASTE,
    IDM_EDIT_DELETE,
    IDM_EDIT_SELECTALL,
    IDM_LOG_START = 300,
    IDM_LOG_STOP,
    IDM_LOG_AUTOSTART,
};

// Child control identifiers.
enum : int {
    IDC_CHATTEXT = 1000,
    IDC_PAGETO,
    IDC_MESSAGE,
    IDC_MESSAGETYPE,
};

class frmChat {
public:
    frmChat() = default;
    frmChat(const frmChat&) = delete;
    frmChat& operator=(const frmChat&) = delete;
    ~frmChat();

    // Creates the window and runs Form_Load (which shows it and may start
    // following). Returns false when the window could not be made.
    bool Create(HINSTANCE instance, int showCmd = SW_SHOWNORMAL);
    HWND hWnd() const { return window_.get(); }
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

    // ---- Public methods of the form
    void StartLog();
    void StopLog();
    // Writes one line of the log (followed by CR LF) into the chat display.
    void AppendData(const std::string& line);
    // The markup text of a rich text box's coloured content.
    std::string FormatVek(HWND box);
    // The sending sequence run by Enter in the composer.
    void SendComposedMessage();

    // ---- Event handlers
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Form_KeyDown(int& KeyCode, int Shift);
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
    void rtfMessage_KeyDown(int& KeyCode, int Shift);
    void rtfMessage_KeyPress(int& KeyAscii);
    void rtfMessage_SelChange();
    void cmdMessageType_Click();
    void cmdMessageType_GotFocus();
    void cmdMessageType_MouseUp();
    void txtPageTo_KeyPress(int& KeyAscii);
    void txtPageTo_Change();  // after any change of its text (paste, undo, ...)
    void tmrFollow_Timer();  // one pass of the follower

    // ---- Controls (children are owned by the window and die with it)
    HWND rtfChatText = nullptr;
    HWND txtPageTo = nullptr;
    HWND rtfMessage = nullptr;
    HWND cmdMessageType = nullptr;
    HWND tipMessageType = nullptr;  // tooltip window of cmdMessageType
    HMENU mnuFile = nullptr, mnuEdit = nullptr, mnuLog = nullptr;  // drop-down menus

    // ---- Palette (constant)
    static constexpr vek::Color BackgroundColor = vek::BackgroundColor;
    static constexpr vek::Color NormalColor = vek::NormalColor;
    static constexpr vek::Color QuoteColor = vek::QuoteColor;
    static constexpr vek::Color BraceColor = vek::BraceColor;
    static constexpr vek::Color PageInColor = vek::PageInColor;
    static constexpr vek::Color PageOutColor = vek::PageOutColor;
    static constexpr vek::Color OtherColor = vek::OtherColor;

    // ---- State
    bool Logging = false;
    int MessageType = 0;           // 0 Normal, 1 Chat, 2 Page
    std::string LastMessage;       // markup of the last message sent
    bool FocusRedirected = false;  // the button passed the focus on once
    int MessageLeft = 360;         // composer's left edge, twips
    int ButtonPicture = 0;         // which type's picture the button shows

    // ---- Follower (see src/log/)
    vek::FollowState Follow;
    vek::win::UniqueChangeNotify FollowWake;  // folder change hint, may be empty
    std::string FollowBuffer;                 // one block of the log, reused
    vek::ChatRtf DisplayRtf;                  // the lines of one pass, as RTF
    std::string FollowRenamed;                // where the followed log was renamed to, until read to its end
    bool FollowBehind = false;                // more was waiting after the last pass: the next comes soon
    // Reads one block of f at Follow.LogSize into DisplayRtf; true when a
    // whole block was taken, so more may be waiting.
    bool FollowBlock(HANDLE f, bool& any);
    // Reads the last bytes of a file that will not grow again, its
    // unfinished last line included.
    void FollowRest(HANDLE f, bool& any);
    // Puts what DisplayRtf holds at the end of the chat display in one
    // insertion, keeping the player's caret, selection and view.
    void WriteDisplayRtf();

    // ---- Shell helpers used across the subsystems
    int Dpi() const;                               // the window's DPI
    int Px(int twips) const;                       // twips to pixels at that DPI
    int OuterWidthTwips() const;                   // window's outer width
    bool IsMenuItemEnabled(UINT id) const;
    void EnableMenuItemById(UINT id, bool on);
    void EnableEditMenu(bool on);
    bool IsEditMenuEnabled() const;
    bool IsAutostartChecked() const;
    void SetChangeLogCaption();
    HICON TypePicture(int type) const;             // picture of a message type
    void SetTypeTooltip(const wchar_t* text);
    void ShowPageTo(bool show);

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleControlMessage(HWND ctl, UINT msg, WPARAM wp, LPARAM lp, bool& handled);
    void CreateControls();
    void CreateMenuBar();
    void ApplyFonts();
    void LoadPictures();
    void Paint();
    void OnCommand(UINT id);
    void OnDpiChanged(int dpi, const RECT* suggested);
    bool RunShortcut(const MSG& msg);
    bool MoveFocusByTab(bool backwards);

    HINSTANCE instance_ = nullptr;
    vek::win::UniqueWindow window_;
    vek::win::UniqueFont font_;
    vek::win::UniqueBrush backgroundBrush_;
    std::array<vek::win::UniqueIcon, 3> typePictures_;
    vek::win::UniqueIcon bigIcon_, smallIcon_;
    int dpi_ = 96;
    int lineY_ = 3360;  // linPageTo's y, twips
};

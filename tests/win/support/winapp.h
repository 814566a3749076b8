// Support for tests that drive the real window under Wine.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/frmChat.h"
#include "app/ids.h"
#include "core/palette.h"
#include "core/settings.h"

namespace vektest {

// The form's controls and menus, found the way any program finds them.
HWND Display(const frmChat& f);      // the chat display
HWND DisplayScrollBar(const frmChat& f);  // its scroll bar, at its right edge
HWND ComposerBox(const frmChat& f);  // the composer
HWND PageBox(const frmChat& f);      // the page-target box
HWND TypeButton(const frmChat& f);   // the message-type button
HMENU FileMenu(const frmChat& f);
HMENU EditMenu(const frmChat& f);
HMENU LogMenu(const frmChat& f);
bool MenuItemEnabled(const frmChat& f, UINT id);
bool EditMenuEnabled(const frmChat& f);  // the Edit menu as a whole
bool AutostartChecked(const frmChat& f);
// Following is on exactly while Log > Stop is offered.
bool Following(const frmChat& f);
int Dpi(const frmChat& f);
// The message-type button clicked, as the window hears of it.
void ClickTypeButton(frmChat& f);
// The text of the message-type button's tooltip.
std::string TypeTooltipText(const frmChat& f);
// The windows of a class (tooltips, "#32770" for dialogs) that the form owns.
std::vector<HWND> OwnedWindows(const frmChat& f, const wchar_t* className);
// Runs a menu command as the menu does.
void Command(frmChat& f, UINT id);
// Enter in the composer: the sending sequence.
void SendComposed(frmChat& f);

// The program's settings store: the registry, as the program has it.
vek::SettingsStore& Store();
// Removes the program's settings key (HKCU\Software\Vek Chat) entirely.
void ClearSettings();
// Writes a setting directly (a string value), bypassing the program.
void PutSetting(const char* key, const std::string& value);
// Reads a setting directly; nullopt-like "" with found=false when absent.
std::string ReadSetting(const char* key, bool* found = nullptr);

// Dispatches queued messages through the form's own pre-translation, for
// `ms` milliseconds, or until `done` holds.
void Pump(frmChat& form, int ms);
bool PumpUntil(frmChat& form, const std::function<bool()>& done, int timeoutMs = 5000);
// The same with no form: the thread's messages dispatched as they come.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Dispatches what is queued now (no waiting).
void PumpPending(frmChat* form = nullptr);

// A form made the way start-up makes it: settings read (a first run's
// written), window created.
std::unique_ptr<frmChat> MakeForm();
// A form on clean settings (not a first run), following `log` (by default
// none): the controls and the Edit menu switched on. Null when the window
// failed.
std::unique_ptr<frmChat> MakeFollowingForm(const std::string& log = {});

// A fresh folder under the temp folder, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Appends bytes to a file the way the game does (shared for read, write and
// delete; created when missing).
void AppendBytes(const std::string& path, const std::string& bytes);
void WriteBytes(const std::string& path, const std::string& bytes);  // replaces the content

// How many characters the chat display gains for these log lines (whole
// lines ending CR LF): what follows each lead, without the markup, and one
// character for each line break.
int ShownCharCount(std::string_view logText);

// A RichEdit's content, character by character, with colours.
struct ColoredChar {
    char ch;
    vek::Color color;
};
std::vector<ColoredChar> ReadColored(HWND richEdit);
// The display text of log lines (whole lines ending CR LF), line breaks as
// CR: what ReadText gives once they show.
std::string ShownText(std::string_view logText);
// Whether the display shows the newest lines of `shown` (display text, line
// breaks as CR) each whole, and all of them or at least as many as the
// display keeps.
bool ShowsNewestOf(HWND display, std::string_view shown);
// The lines of the session, as the display's scroll bar stands for them.
int SessionLineCount(const frmChat& f);
std::string ReadText(HWND richEdit);  // line breaks as CR

// Presses a key (with the given modifiers held) on a control, as the queue
// would deliver it, through the form's pre-translation.
void PressKey(frmChat& form, HWND target, int vk, bool shift = false, bool ctrl = false, bool alt = false);

// Seconds on the performance counter, for benchmarks.
double Seconds();
// The process's CPU time (user and kernel), in seconds, for benchmarks.
double CpuSeconds();

// The path of a program built beside the tests (fakegame.exe, vekchat.exe).
std::string BuiltProgram(const std::string& name);

}  // namespace vektest

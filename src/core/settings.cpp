#include "core/settings.h"

#include <array>
#include <charconv>

#include "core/shell_rules.h"

namespace vek {

namespace {

// The stored form of "no log chosen": what the program has always written.
constexpr const char* kNoLog = "?";

enum Name : std::size_t {
    RunBefore,
    Log,
    AutostartLog,
    FlashOnPages,
    AlertWordsName,
    AlertSound,
    WindowPlacement,
    ShowChatLines,  // the View menu's choices, in the order of ViewChoice
    ShowPageLines,
    ShowOtherLines,
    AlwaysOnTop,
    SaveTimes,
    SaveFolder,
    PagesPane,
    PaneHeight,
};

struct Entry {
    const char* name;
    const char* fallback;  // what an absent or unreadable value reads as
    bool firstRun;         // written on a first run, as the fallback
};

// Every stored value, in one place. The first run writes "True" to "Run
// Before" rather than its fallback.
constexpr std::array<Entry, 15> kTable{{
    {"Run Before", "", false},
    {"Log", kNoLog, true},
    {"Autostart Log", StoredBool(false), true},
    {"Flash On Pages", StoredBool(kFlashOnPagesDefault), false},
    {"Alert Words", "", false},
    {"Alert Sound", StoredBool(kPlaySoundDefault), false},
    {"Window Placement", "", false},
    {"Show Chat Lines", StoredBool(true), false},
    {"Show Page Lines", StoredBool(true), false},
    {"Show Other Lines", StoredBool(true), false},
    {"Always On Top", StoredBool(false), false},
    {"Save Times With Chat", StoredBool(false), false},
    {"Save Folder", "", false},
    {"Pages Pane", StoredBool(false), false},
    {"Pages Pane Height", "0", false},
}};

constexpr Name NameOf(ViewChoice c) { return static_cast<Name>(ShowChatLines + static_cast<std::size_t>(c)); }
static_assert(NameOf(ViewChoice::PaneHeight) == PaneHeight && PaneHeight + 1 == kTable.size());

std::string Text(SettingsStore& store, Name n) {
    StoredValue v = store.Get(kTable[n].name);
    return v.kind == StoredValue::Kind::Text ? std::move(v.text) : std::string(kTable[n].fallback);
}

bool Bool(SettingsStore& store, Name n) {
    if (const std::optional<bool> b = ParseStoredBool(Text(store, n))) return *b;
    return ParseStoredBool(kTable[n].fallback).value_or(false);
}

}  // namespace

bool PrepareSettings(SettingsStore& store) {
    StoredValue runBefore = store.Get(kTable[RunBefore].name);
    std::optional<std::string> stored;
    if (runBefore.kind == StoredValue::Kind::Text) stored = std::move(runBefore.text);
    // A value of another type is damaged, not absent: no first run.
    if (runBefore.kind == StoredValue::Kind::Other) stored.emplace(1, '\x01');
    if (HasRunBefore(stored)) return true;
    bool ok = store.Set(kTable[RunBefore].name, StoredBool(true));
    for (const Entry& e : kTable)
        if (ok && e.firstRun) ok = store.Set(e.name, e.fallback);
    return ok;
}

Settings ReadSettings(SettingsStore& store) {
    Settings s;
    s.logFile = Text(store, Log);
    if (s.logFile == kNoLog) s.logFile.clear();
    s.autostartLog = Bool(store, AutostartLog);
    s.alerts.flashOnPages = Bool(store, FlashOnPages);
    s.alerts.words = AlertWords::Parse(Text(store, AlertWordsName));
    s.alerts.playSound = Bool(store, AlertSound);
    s.placement = ParsePlacement(Text(store, WindowPlacement));
    for (LineKind kind : kLineKinds) s.view.shown = s.view.shown.With(kind, Bool(store, NameOf(ShowChoiceOf(kind))));
    s.view.alwaysOnTop = Bool(store, AlwaysOnTop);
    s.view.saveTimes = Bool(store, SaveTimes);
    s.view.saveFolder = Text(store, SaveFolder);
    s.view.pagesPane = Bool(store, PagesPane);
    // A height of the pane: a plain number of twips, and a sane one.
    const std::string height = Text(store, PaneHeight);
    int twips = 0;
    const auto [end, error] = std::from_chars(height.data(), height.data() + height.size(), twips);
    if (error == std::errc{} && end == height.data() + height.size() && twips > 0 && twips <= kMaxPaneHeight)
        s.view.paneHeight = twips;
    return s;
}

bool SaveSessionSettings(SettingsStore& store, const Settings& s) {
    const bool log = store.Set(kTable[Log].name, s.logFile.empty() ? std::string(kNoLog) : s.logFile);
    const bool autostart = store.Set(kTable[AutostartLog].name, StoredBool(s.autostartLog));
    return log && autostart;
}

bool SaveAlertSettings(SettingsStore& store, const AlertSettings& a) {
    const bool flash = store.Set(kTable[FlashOnPages].name, StoredBool(a.flashOnPages));
    const bool words = store.Set(kTable[AlertWordsName].name, a.words.Format());
    const bool sound = store.Set(kTable[AlertSound].name, StoredBool(a.playSound));
    return flash && words && sound;
}

bool SavePlacement(SettingsStore& store, const Placement& place) {
    const std::string text = FormatPlacement(place);
    if (!ParsePlacement(text)) return true;
    return store.Set(kTable[WindowPlacement].name, text);
}

bool SaveViewChoice(SettingsStore& store, const ViewChoices& view, ViewChoice which) {
    std::string value;
    switch (which) {
        case ViewChoice::ShowChatLines: value = StoredBool(view.shown.Has(LineKind::Chat)); break;
        case ViewChoice::ShowPageLines: value = StoredBool(view.shown.Has(LineKind::Page)); break;
        case ViewChoice::ShowOtherLines: value = StoredBool(view.shown.Has(LineKind::Other)); break;
        case ViewChoice::AlwaysOnTop: value = StoredBool(view.alwaysOnTop); break;
        case ViewChoice::SaveTimes: value = StoredBool(view.saveTimes); break;
        case ViewChoice::SaveFolder: value = view.saveFolder; break;
        case ViewChoice::PagesPane: value = StoredBool(view.pagesPane); break;
        case ViewChoice::PaneHeight: value = std::to_string(view.paneHeight); break;
    }
    return store.Set(kTable[NameOf(which)].name, value);
}

}  // namespace vek

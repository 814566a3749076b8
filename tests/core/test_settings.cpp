// The settings value over a store of named strings: the first run, damaged
// values, the stored "no log" marker, and what each save writes.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/settings.h"

namespace {

using vek::Settings;
using vek::StoredValue;

class MapStore final : public vek::SettingsStore {
public:
    std::map<std::string, std::string, std::less<>> text;
    std::set<std::string, std::less<>> other;   // values there that are not text
    std::set<std::string, std::less<>> refuse;  // names Set refuses
    std::vector<std::string> written;           // names, in the order written

    StoredValue Get(std::string_view name) override {
        if (other.count(name)) return {StoredValue::Kind::Other, {}};
        const auto it = text.find(name);
        if (it == text.end()) return {};
        return {StoredValue::Kind::Text, it->second};
    }
    bool Set(std::string_view name, const std::string& value) override {
        written.emplace_back(name);
        if (refuse.count(name)) return false;
        text[std::string(name)] = value;
        other.erase(std::string(name));
        return true;
    }
};

using Values = std::map<std::string, std::string, std::less<>>;

TEST(Settings, FirstRunWritesItsValuesAndNothingElse) {
    const struct {
        const char* name;
        Values before;
        std::set<std::string, std::less<>> other;
        bool firstRun;
    } cases[] = {
        {"nothing stored", {}, {}, true},
        {"Run Before empty", {{"Run Before", ""}}, {}, true},
        {"Run Before false", {{"Run Before", "no"}, {"Log", "C:\\a.log"}}, {}, true},
        {"has run", {{"Run Before", "True"}, {"Log", "C:\\a.log"}}, {}, false},
        {"Run Before damaged", {{"Run Before", "garbage"}, {"Log", "C:\\a.log"}}, {}, false},
        {"Run Before of another type", {{"Log", "C:\\a.log"}}, {"Run Before"}, false},
    };
    for (const auto& c : cases) {
        MapStore s;
        s.text = c.before;
        s.other = c.other;
        EXPECT_TRUE(vek::PrepareSettings(s)) << c.name;
        if (c.firstRun) {
            EXPECT_EQ(s.text, (Values{{"Run Before", "True"}, {"Log", "?"}, {"Autostart Log", "False"}})) << c.name;
            EXPECT_EQ(vek::ReadSettings(s).logFile, "") << c.name;
        } else {
            EXPECT_TRUE(s.written.empty()) << c.name;
        }
    }
    MapStore refused;
    refused.refuse = {"Log"};
    EXPECT_FALSE(vek::PrepareSettings(refused));
}

TEST(Settings, EachValueAbsentDamagedOrOfAnotherTypeGivesItsDefault) {
    const struct {
        const char* name;
        Values stored;
        std::set<std::string, std::less<>> other;
        std::string log;
        bool autostart, flash, sound;
        std::size_t words;
        bool placed;
    } cases[] = {
        {"nothing", {}, {}, "", false, true, false, 0, false},
        {"the no-log marker", {{"Log", "?"}}, {}, "", false, true, false, 0, false},
        {"an empty log", {{"Log", ""}}, {}, "", false, true, false, 0, false},
        {"a path", {{"Log", "C:\\R&D chat.txt"}}, {}, "C:\\R&D chat.txt", false, true, false, 0, false},
        {"all set",
         {{"Autostart Log", "True"},
          {"Flash On Pages", "False"},
          {"Alert Sound", "yes"},
          {"Alert Words", "Orrin,Vek"},
          {"Window Placement", "10,20,600,400,0,96"}},
         {},
         "",
         true,
         false,
         true,
         2,
         true},
        {"damaged",
         {{"Autostart Log", "maybe"}, {"Flash On Pages", "x"}, {"Alert Sound", "?"}, {"Window Placement", "1,2"}},
         {},
         "",
         false,
         true,
         false,
         0,
         false},
        {"of another type", {}, {"Log", "Autostart Log", "Flash On Pages"}, "", false, true, false, 0, false},
    };
    for (const auto& c : cases) {
        MapStore s;
        s.text = c.stored;
        s.other = c.other;
        const Settings r = vek::ReadSettings(s);
        EXPECT_EQ(r.logFile, c.log) << c.name;
        EXPECT_EQ(r.autostartLog, c.autostart) << c.name;
        EXPECT_EQ(r.alerts.flashOnPages, c.flash) << c.name;
        EXPECT_EQ(r.alerts.playSound, c.sound) << c.name;
        EXPECT_EQ(r.alerts.words.Words().size(), c.words) << c.name;
        EXPECT_EQ(r.placement.has_value(), c.placed) << c.name;
        EXPECT_TRUE(s.written.empty()) << c.name;  // reading never writes
    }
}

TEST(Settings, SavesWriteTheirOwnValuesUnderTheirNames) {
    Settings v;
    v.autostartLog = true;
    v.alerts.flashOnPages = false;
    v.alerts.words = vek::AlertWords::Parse("Orrin");
    v.alerts.playSound = true;

    MapStore none;
    EXPECT_TRUE(vek::SaveSessionSettings(none, v));
    EXPECT_EQ(none.text, (Values{{"Log", "?"}, {"Autostart Log", "True"}}));  // no log: the marker

    MapStore chosen;
    v.logFile = "C:\\chat.log";
    EXPECT_TRUE(vek::SaveSessionSettings(chosen, v));
    EXPECT_EQ(chosen.text.at("Log"), "C:\\chat.log");

    MapStore alerts;
    EXPECT_TRUE(vek::SaveAlertSettings(alerts, v.alerts));
    EXPECT_EQ(alerts.text, (Values{{"Flash On Pages", "False"}, {"Alert Words", "Orrin"}, {"Alert Sound", "True"}}));
    // What is saved reads back as it was.
    const Settings back = vek::ReadSettings(alerts);
    EXPECT_EQ(back.alerts.words, v.alerts.words);
    EXPECT_EQ(back.alerts.playSound, true);

    // A refused value does not keep the others from being written.
    MapStore refusing;
    refusing.refuse = {"Log", "Flash On Pages"};
    EXPECT_FALSE(vek::SaveSessionSettings(refusing, v));
    EXPECT_FALSE(vek::SaveAlertSettings(refusing, v.alerts));
    EXPECT_EQ(refusing.text.size(), 3u);
}

TEST(Settings, TheViewChoicesReadTheirDefaultsWhenAbsentOrDamaged) {
    using vek::KindFilter;
    using vek::LineKind;
    const struct {
        const char* name;
        Values stored;
        std::set<std::string, std::less<>> other;
        KindFilter shown;
        bool onTop, times;
        std::string folder;
        bool pane = false;
        int paneHeight = 0;
    } cases[] = {
        {"nothing", {}, {}, KindFilter::All(), false, false, ""},
        {"all set",
         {{"Show Chat Lines", "False"},
          {"Show Page Lines", "1"},
          {"Show Other Lines", "no"},
          {"Always On Top", "True"},
          {"Save Times With Chat", "yes"},
          {"Save Folder", "C:\\R&D logs"},
          {"Pages Pane", "True"},
          {"Pages Pane Height", "1440"}},
         {},
         {LineKind::Page},
         true,
         true,
         "C:\\R&D logs",
         true,
         1440},
        {"damaged",
         {{"Show Chat Lines", "maybe"}, {"Show Page Lines", ""}, {"Always On Top", "x"}, {"Save Times With Chat", "?"},
          {"Pages Pane", "perhaps"}, {"Pages Pane Height", "1440 twips"}},
         {},
         KindFilter::All(),
         false,
         false,
         ""},
        {"a height beyond reason", {{"Pages Pane Height", "-300"}}, {}, KindFilter::All(), false, false, ""},
        {"a height past an int", {{"Pages Pane Height", "99999999999"}}, {}, KindFilter::All(), false, false, ""},
        {"of another type",
         {},
         {"Show Other Lines", "Always On Top", "Save Times With Chat", "Save Folder", "Pages Pane Height"},
         KindFilter::All(),
         false,
         false,
         ""},
    };
    for (const auto& c : cases) {
        MapStore s;
        s.text = c.stored;
        s.other = c.other;
        const vek::ViewChoices v = vek::ReadSettings(s).view;
        EXPECT_EQ(v.shown, c.shown) << c.name;
        EXPECT_EQ(v.alwaysOnTop, c.onTop) << c.name;
        EXPECT_EQ(v.saveTimes, c.times) << c.name;
        EXPECT_EQ(v.saveFolder, c.folder) << c.name;
        EXPECT_EQ(v.pagesPane, c.pane) << c.name;
        EXPECT_EQ(v.paneHeight, c.paneHeight) << c.name;
    }
}

TEST(Settings, AViewChoiceSavedWritesThatChoiceAloneAndReadsBack) {
    vek::ViewChoices v;
    v.shown = {vek::LineKind::Chat, vek::LineKind::Other};
    v.alwaysOnTop = true;
    v.saveFolder = "D:\\";
    v.pagesPane = true;
    v.paneHeight = 2000;
    const struct {
        vek::ViewChoice which;
        const char* name;
        const char* value;
    } cases[] = {
        {vek::ViewChoice::ShowChatLines, "Show Chat Lines", "True"},
        {vek::ViewChoice::ShowPageLines, "Show Page Lines", "False"},
        {vek::ViewChoice::ShowOtherLines, "Show Other Lines", "True"},
        {vek::ViewChoice::AlwaysOnTop, "Always On Top", "True"},
        {vek::ViewChoice::SaveTimes, "Save Times With Chat", "False"},
        {vek::ViewChoice::SaveFolder, "Save Folder", "D:\\"},
        {vek::ViewChoice::PagesPane, "Pages Pane", "True"},
        {vek::ViewChoice::PaneHeight, "Pages Pane Height", "2000"},
    };
    MapStore all;
    for (const auto& c : cases) {
        MapStore one;
        EXPECT_TRUE(vek::SaveViewChoice(one, v, c.which)) << c.name;
        EXPECT_EQ(one.text, (Values{{c.name, c.value}}));
        EXPECT_TRUE(vek::SaveViewChoice(all, v, c.which)) << c.name;
    }
    const vek::ViewChoices back = vek::ReadSettings(all).view;
    EXPECT_EQ(back.shown, v.shown);
    EXPECT_EQ(back.alwaysOnTop, v.alwaysOnTop);
    EXPECT_EQ(back.saveTimes, v.saveTimes);
    EXPECT_EQ(back.saveFolder, v.saveFolder);
    EXPECT_EQ(back.pagesPane, v.pagesPane);
    EXPECT_EQ(back.paneHeight, v.paneHeight);

    MapStore refusing;
    refusing.refuse = {"Always On Top"};
    EXPECT_FALSE(vek::SaveViewChoice(refusing, v, vek::ViewChoice::AlwaysOnTop));
}

TEST(Settings, APlaceThatCouldNotBeReadBackKeepsTheOneBefore) {
    MapStore s;
    s.text = {{"Window Placement", "10,20,600,400,0,96"}};
    vek::Placement wild{10, 20, 600, 400, false, 96};
    wild.width = vek::kMaxExtent + 1;
    EXPECT_TRUE(vek::SavePlacement(s, wild));
    EXPECT_EQ(s.text.at("Window Placement"), "10,20,600,400,0,96");
    const vek::Placement ok{-5, 7, 800, 500, true, 144};
    EXPECT_TRUE(vek::SavePlacement(s, ok));
    EXPECT_EQ(vek::ReadSettings(s).placement, ok);
}

}  // namespace

// The history of messages sent: what it keeps, and the steps back to older
// messages and forward again to the draft.
#include "core/history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vek {
namespace {

// The markups of the entries, newest first.
std::vector<std::string> Markups(const MessageHistory& h) {
    std::vector<std::string> out;
    for (const SentMessage& m : h.Entries()) out.push_back(m.markup);
    return out;
}

TEST(History, StepsBackAndForwardKeepingTheDraft) {
    MessageHistory h;
    for (const char* m : {"one", "two", "three"}) h.Add({m, kNormal, ""});
    const Draft draft{"{\\rtf1 half {\\cf2 typed}}", kPage, "Bob"};

    enum Key { kBack, kForward };
    const struct {
        Key key;
        HistoryMove move;
        const char* shown;  // markup of the entry shown; nullptr for the draft
    } steps[] = {
        {kForward, HistoryMove::kNone, nullptr},  // nothing newer than the draft
        {kBack, HistoryMove::kLeaveDraft, "three"},
        {kBack, HistoryMove::kEntry, "two"},
        {kBack, HistoryMove::kEntry, "one"},
        {kBack, HistoryMove::kNone, "one"},  // the oldest stays
        {kForward, HistoryMove::kEntry, "two"},
        {kForward, HistoryMove::kEntry, "three"},
        {kForward, HistoryMove::kDraft, nullptr},
        {kForward, HistoryMove::kNone, nullptr},
    };
    int i = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << i++);
        const HistoryMove move = s.key == kBack ? h.Back() : h.Forward();
        EXPECT_EQ(move, s.move);
        if (move == HistoryMove::kLeaveDraft) h.SaveDraft(draft);
        if (s.shown) {
            ASSERT_NE(h.Current(), nullptr);
            EXPECT_EQ(h.Current()->markup, s.shown);
        } else {
            EXPECT_EQ(h.Current(), nullptr);
        }
    }
    EXPECT_EQ(h.SavedDraft(), draft);  // back exactly as it was

    // Sending a recalled message adds it anew and starts from an empty draft.
    h.Back();
    h.SaveDraft(draft);
    h.Back();
    h.Add(*h.Current());
    EXPECT_EQ(h.Position(), std::nullopt);
    EXPECT_EQ(h.SavedDraft(), Draft{});
    EXPECT_EQ(Markups(h), (std::vector<std::string>{"two", "three", "two", "one"}));
}

TEST(History, WhatSendingKeeps) {
    const struct {
        const char* name;
        std::vector<SentMessage> sent;
        std::vector<SentMessage> kept;  // newest first
    } cases[] = {
        {"twice in a row, once", {{"hi", kPage, "Bob"}, {"hi", kPage, "Bob"}}, {{"hi", kPage, "Bob"}}},
        {"another target is another message", {{"hi", kPage, "Al"}, {"hi", kPage, "Bob"}},
         {{"hi", kPage, "Bob"}, {"hi", kPage, "Al"}}},
        {"the page box counts for a Page only", {{"hi", kChat, "Al"}, {"hi", kChat, "Bob"}}, {{"hi", kChat, ""}}},
        {"the target cleaned", {{"hi", kPage, "\"B{o}b\"\t\x7f"}, {"hi", kPage, "Bob"}}, {{"hi", kPage, "Bob"}}},
        {"a type out of range is Normal", {{"hi", 7, "x"}, {"hi", -1, ""}}, {{"hi", kNormal, ""}}},
        {"nothing to bring back", {{"hi", kNormal, ""}, {"", kPage, "Bob"}}, {{"hi", kNormal, ""}}},
    };
    for (const auto& c : cases) {
        MessageHistory h;
        for (const SentMessage& m : c.sent) h.Add(m);
        EXPECT_EQ(std::vector<SentMessage>(h.Entries().begin(), h.Entries().end()), c.kept) << c.name;
    }

    MessageHistory h;
    for (int i = 0; i < 105; ++i) h.Add({std::to_string(i), kNormal, ""});
    ASSERT_EQ(h.Entries().size(), MessageHistory::kCapacity);
    EXPECT_EQ(h.Entries().back().markup, "5");  // the oldest went first
}

TEST(History, WhichArrowKeysStep) {
    const struct {
        ArrowKey key;  // up, ctrl, Shift or Alt, on the first line, on the last line
        bool steps;
    } cases[] = {
        {{true, true, false, false, false}, true},  // Ctrl+Up anywhere
        {{false, true, false, false, false}, true},
        {{true, false, false, true, false}, true},  // Up on the first line
        {{true, false, false, false, true}, false},
        {{false, false, false, false, true}, true},  // Down on the last line
        {{false, false, false, true, false}, false},
        {{true, false, true, true, true}, false},  // Shift+Up selects
        {{false, true, true, true, true}, false},  // Ctrl+Shift+Down selects too
    };
    for (const auto& c : cases) EXPECT_EQ(StepsHistory(c.key), c.steps) << &c - cases;
}

}  // namespace
}  // namespace vek

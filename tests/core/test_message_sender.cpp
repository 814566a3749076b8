// The sending sequence against a link that records what the game would be
// typed, and takes only as much of it as it is told.
#include <gtest/gtest.h>

#include <string>

#include "core/message_sender.h"

namespace {

struct RecordingLink final : vek::GameLink {
    std::string typed;
    std::size_t takes = std::string::npos;  // characters the game takes of each message
    std::size_t Type(std::string_view bytes) override {
        const std::size_t n = std::min(takes, bytes.size());
        typed.append(bytes.substr(0, n));
        return n;
    }
};

TEST(MessageSender, EachTypeGoesOutWithItsPrefixAndTheMarkupIsKeptForRecall) {
    const struct {
        int clicks;  // on the type button before sending
        const char* markup;
        const char* pageTo;
        const char* typed;
    } cases[] = {
        {0, "hi", "Bob", "hi\r"},
        {1, "hi", "Bob", ";hi\r"},
        {2, "say \"hi\" {x}", "Bob", "/\"Bob\" say \"hi\" {x}\r"},
        {2, "", "", "/\"\" \r"},
        {3, "", "Bob", "\r"},
        {2, "two\r\nlines", "B\tob", "/\"B ob\" two lines\r"},
    };
    for (const auto& c : cases) {
        RecordingLink link;
        vek::MessageSender sender(link);
        for (int i = 0; i < c.clicks; ++i) sender.CycleType();
        EXPECT_EQ(sender.Type(), c.clicks % 3);
        const std::size_t taken = sender.Send(c.markup, c.pageTo);
        EXPECT_EQ(taken, link.typed.size());
        EXPECT_EQ(link.typed, c.typed) << c.markup;
        EXPECT_EQ(sender.LastMessage(), c.markup);  // the markup alone, unchanged
    }
}

// A message the game did not take whole (no window, hung, gone) is still the
// one F9 brings back.
TEST(MessageSender, AMessageNotTakenIsStillTheLastMessage) {
    RecordingLink link;
    vek::MessageSender sender(link);
    link.takes = 0;
    EXPECT_EQ(sender.Send("lost?", ""), 0u);
    EXPECT_EQ(sender.LastMessage(), "lost?");
    link.takes = 3;
    EXPECT_EQ(sender.Send("abcdef", ""), 3u);
    EXPECT_EQ(link.typed, "abc");
    EXPECT_EQ(sender.LastMessage(), "abcdef");
}

}  // namespace

// The sending sequence against a link that records what the game would be
// typed.
#include <gtest/gtest.h>

#include <string>

#include "core/message_sender.h"

namespace {

struct RecordingLink final : vek::GameLink {
    std::string typed;
    void Type(std::string_view bytes) override { typed.append(bytes); }
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
        sender.Send(c.markup, c.pageTo);
        EXPECT_EQ(link.typed, c.typed) << c.markup;
        EXPECT_EQ(sender.LastMessage(), c.markup);  // the markup alone, unchanged
    }
}

}  // namespace

// Whatever the composer or the page box holds, one message reaches the game
// as one line: found by the bad-input test, where a pasted backspace edited
// what had been typed before it, and a line break pasted into the page box
// ended the page early.
#include <gtest/gtest.h>

#include <string>

#include "core/message.h"

namespace {

using vek::OneGameLine;
using vek::OutgoingText;

TEST(OneGameLine, LineBreaksAndTabsBecomeBlanksOtherControlsGo) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain \"markup\" {x} \xe9\xff", "plain \"markup\" {x} \xe9\xff"},
        {"first\r\nsecond\nthird\rfourth", "first second third fourth"},
        {"\r\n\r\n", "  "},
        {"a\tb", "a b"},
        {std::string("a\x01" "b\x08" "c\x1b" "d\x7f" "e\0f", 11), "abcdef"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(OneGameLine(c.in), c.out) << c.in;
}

TEST(OneGameLine, EveryByteGivesOneLineWithTheBytesFrom32Kept) {
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    const std::string sent = OutgoingText(vek::kPage, every, every);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), '\r');
    for (size_t i = 0; i + 1 < sent.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(sent[i]);
        EXPECT_TRUE(c >= 32 && c != 127) << "byte " << int(c) << " at " << i;
    }
    std::string kept;
    for (int b = 32; b < 256; ++b)
        if (b != 127) kept += static_cast<char>(b);
    // Tab, LF and CR each became a blank before the rest.
    EXPECT_EQ(OneGameLine(every), "   " + kept);
}

}  // namespace

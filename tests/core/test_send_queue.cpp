// Messages on their way into the game: in order, a character only after the
// one before it was taken, and a dropped message takes only its own rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/send_queue.h"

namespace {

// Types everything the queue gives, the game taking each character at once.
std::string TypeAll(vek::SendQueue& q, std::uint64_t now = 0) {
    std::string typed;
    while (auto next = q.Take(now)) {
        typed += next->ch;
        q.Taken();
    }
    return typed;
}

TEST(SendQueue, MessagesGoInOrderEachStartingAfresh) {
    vek::SendQueue q;
    q.Add("hi\r");
    q.Add("");  // nothing to type: no message
    q.Add(";yo\r");
    std::string firsts;
    std::string typed;
    while (auto next = q.Take(0)) {
        if (next->first) firsts += next->ch;
        typed += next->ch;
        q.Taken();
    }
    EXPECT_EQ(typed, "hi\r;yo\r");
    EXPECT_EQ(firsts, "h;");
    EXPECT_EQ(q.Messages(), 0u);
}

// A game that stops answering: nothing more goes until the character in
// flight is taken; then typing goes on after it (not with it again), and the
// message sent meanwhile follows whole.
TEST(SendQueue, AGameThatStopsAnsweringDelaysTheRestAndTypingResumesAfterTheCharacterInFlight) {
    vek::SendQueue q;
    q.Add("abc\r");
    ASSERT_EQ(q.Take(100)->ch, 'a');
    q.Taken();
    ASSERT_EQ(q.Take(200)->ch, 'b');  // not taken: the game hangs
    EXPECT_FALSE(q.Take(300));
    q.Add("next\r");
    EXPECT_FALSE(q.Take(5000));
    EXPECT_FALSE(q.Waiting(200 + vek::SendQueue::kWaitMs - 1));
    EXPECT_TRUE(q.Waiting(200 + vek::SendQueue::kWaitMs));
    EXPECT_EQ(q.Current(), "abc\r");
    q.Taken();  // the game answers again
    EXPECT_FALSE(q.Waiting(100000));
    EXPECT_EQ(TypeAll(q), "c\rnext\r");
}

// The window gone (or refusing) mid-message: the rest of that message goes,
// whole messages behind it stay.
TEST(SendQueue, ADroppedMessageTakesOnlyItsOwnRest) {
    vek::SendQueue q;
    q.Add("/\"Bob\" secret\r");
    q.Add("hello\r");
    ASSERT_EQ(q.Take(0)->ch, '/');
    q.Taken();
    ASSERT_TRUE(q.Take(0));  // in flight when the window went
    EXPECT_EQ(q.Drop(), "/\"Bob\" secret\r");
    EXPECT_FALSE(q.InFlight());
    const auto next = q.Take(0);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->first);  // looked up afresh
    q.Taken();
    EXPECT_EQ(TypeAll(q), "ello\r");
    EXPECT_EQ(q.Drop(), "");
}

// What is not yet with the game: the rest after the character in flight,
// one line per message; a message whose last character is out has none.
TEST(SendQueue, UnsentIsTheRestAfterTheCharacterInFlight) {
    vek::SendQueue q;
    q.Add("ab\r");
    q.Add("cd\r");
    EXPECT_EQ(q.Unsent(), (std::vector<std::string>{"ab", "cd"}));
    ASSERT_EQ(q.Take(0)->ch, 'a');
    q.Taken();
    ASSERT_EQ(q.Take(0)->ch, 'b');  // in flight
    EXPECT_EQ(q.Unsent(), (std::vector<std::string>{"", "cd"}));  // only the carriage return is left
    q.Taken();
    ASSERT_EQ(q.Take(0)->ch, '\r');
    EXPECT_EQ(q.Unsent(), (std::vector<std::string>{"cd"}));
}

}  // namespace

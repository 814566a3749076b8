// The typing of messages into the game, against made-up games: one that
// takes everything, a slow or hung one, one that goes away mid-message (with
// or without answering for the character it had), one that refuses the
// characters, and none at all.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/game_typist.h"

namespace {

using vek::GameTypist;
using vek::GameWindowPort;

// A game window whose answers come later, through Run(), as a message loop
// would bring them; while hung, it answers for nothing until Release().
class FakeGame final : public GameWindowPort {
public:
    bool running = true;       // the game has a window
    bool refuses = false;      // sends to it are refused
    bool answersAtOnce = false;  // answers during Send, as a window of the typist's own thread
    bool watching = false;
    std::uint64_t now = 0;
    std::string received;
    std::size_t hangAt = std::string::npos;  // received.size() from which it hangs
    std::size_t quitAt = std::string::npos;  // the character whose handling ends the game

    void Attach(GameTypist& t) { typist_ = &t; }

    bool Find() override { return alive_ = running; }
    Sent Send(char ch, std::uint32_t token) override {
        if (!alive_ || !running) return Sent::Gone;
        if (refuses) return Sent::Refused;
        received += ch;
        if (received.size() > hangAt) {
            held_.push_back(token);
            return Sent::Ok;
        }
        if (received.size() == quitAt + 1) running = alive_ = false;  // closes while handling it, then answers
        if (answersAtOnce) typist_->Answered(token);
        else answers_.push_back(token);
        return Sent::Ok;
    }
    bool Alive() override { return alive_ && running; }
    void Watch(bool on) override { watching = on; }
    std::uint64_t NowMs() override { return now; }

    // Delivers every answer due, and those they lead to.
    void Run() {
        while (!answers_.empty()) {
            const std::uint32_t token = answers_.front();
            answers_.pop_front();
            typist_->Answered(token);
        }
    }
    // Time passes with the watch running.
    void Pass(std::uint64_t ms) {
        for (std::uint64_t i = 0; i < ms; i += 100) {
            now += 100;
            Run();  // answers come before the watch looks
            if (watching) typist_->Check();
            Run();
        }
    }
    // The hung game answers again, for what it was holding.
    void Release() {
        hangAt = std::string::npos;
        answers_.insert(answers_.end(), held_.begin(), held_.end());
        held_.clear();
        Run();
    }
    // Ended from outside while hung; the system may answer for what it held.
    void Kill(bool systemAnswers) {
        running = alive_ = false;
        if (systemAnswers) answers_.insert(answers_.end(), held_.begin(), held_.end());
        held_.clear();
    }
    // The tokens of the characters it holds unanswered.
    std::vector<std::uint32_t> held() const { return {held_.begin(), held_.end()}; }

private:
    GameTypist* typist_ = nullptr;
    bool alive_ = false;
    std::deque<std::uint32_t> answers_, held_;
};

struct Told final : GameTypist::Events {
    std::vector<std::string> told;
    void MessageWaits(const std::string& text) override { told.push_back("waits: " + text); }
    void MessageGoesOn() override { told.push_back("goes on"); }
    void MessageNotDelivered(const std::string& text, GameTypist::Undelivered why, bool last) override {
        const char* reason = why == GameTypist::Undelivered::NoGame    ? "no game"
                             : why == GameTypist::Undelivered::Refused ? "refused"
                                                                       : "gone";
        told.push_back(std::string("not delivered (") + reason + (last ? ", last): " : "): ") + text);
    }
};

struct Fixture {
    FakeGame game;
    Told events;
    GameTypist typist{game};
    Fixture() {
        game.Attach(typist);
        typist.Tell(events);
    }
};

using Strings = std::vector<std::string>;

// Two messages sent together, "quit\r" then "next\r", to games of each kind.
TEST(GameTypist, TwoMessagesReachEachKindOfGame) {
    const struct {
        const char* name;
        std::function<void(FakeGame&)> setUp;
        const char* received;
        Strings told;
    } cases[] = {
        {"takes everything", [](FakeGame&) {}, "quit\rnext\r", {}},
        {"answers within Send", [](FakeGame& g) { g.answersAtOnce = true; }, "quit\rnext\r", {}},
        {"no game", [](FakeGame& g) { g.running = false; }, "",
         {"not delivered (no game, last): quit\r", "not delivered (no game, last): next\r"}},
        {"refuses", [](FakeGame& g) { g.refuses = true; }, "",
         {"not delivered (refused, last): quit\r", "not delivered (refused, last): next\r"}},
        // The game ends while handling a character it then answers for: that
        // one counts as taken; the rest has nowhere to go.
        {"ends on the second character", [](FakeGame& g) { g.quitAt = 1; }, "qu",
         {"not delivered (gone): quit\r", "not delivered (no game, last): next\r"}},
        // ... and when it was the last one, nothing of the message was lost.
        {"ends on the carriage return", [](FakeGame& g) { g.quitAt = 4; }, "quit\r",
         {"not delivered (no game, last): next\r"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        c.setUp(f.game);
        f.typist.Type("quit\r");
        f.typist.Type("next\r");
        f.game.Pass(300);
        EXPECT_EQ(f.game.received, c.received);
        EXPECT_EQ(f.events.told, c.told);
        EXPECT_TRUE(f.typist.Idle());
        EXPECT_FALSE(f.game.watching);
    }
}

// A slow game is waited for without a word; a hung one is waited for, the
// player told once, and once it answers the rest follows exactly once, the
// message sent meanwhile behind it.
TEST(GameTypist, AHungGameIsWaitedForAndTypingGoesOnOnceItAnswers) {
    Fixture f;
    f.game.hangAt = 2;
    f.typist.Type("abcdef\r");
    f.game.Run();
    EXPECT_EQ(f.game.received, "abc");
    EXPECT_TRUE(f.game.watching);
    f.game.Pass(vek::SendQueue::kWaitMs - 100);  // slow: not yet told
    EXPECT_TRUE(f.events.told.empty());
    f.typist.Type("more\r");
    f.game.Pass(200);
    f.game.Pass(5000);  // told once only
    EXPECT_EQ(f.events.told, Strings{"waits: abcdef\r"});
    EXPECT_EQ(f.game.received, "abc");

    f.game.Release();
    EXPECT_EQ(f.game.received, "abcdef\rmore\r");
    EXPECT_EQ(f.events.told, (Strings{"waits: abcdef\r", "goes on"}));
    EXPECT_TRUE(f.typist.Idle());
    EXPECT_FALSE(f.game.watching);
}

// A hung game killed: the message is not delivered, whether the system
// answers for the character it held or not, and the player is not told it
// goes on. An answer that comes after the message was given up changes
// nothing.
TEST(GameTypist, AGameEndedWhileHungLosesTheMessageAndALateAnswerIsIgnored) {
    for (const bool systemAnswers : {false, true}) {
        SCOPED_TRACE(systemAnswers);
        Fixture f;
        f.game.hangAt = 3;
        f.typist.Type("abcdef\r");
        f.game.Pass(2000);
        const std::vector<std::uint32_t> held = f.game.held();
        ASSERT_EQ(held.size(), 1u);
        f.game.Kill(systemAnswers);
        f.game.Pass(100);
        EXPECT_EQ(f.events.told, (Strings{"waits: abcdef\r", "not delivered (gone, last): abcdef\r"}));
        EXPECT_EQ(f.game.received, "abcd");
        f.game.running = true;  // a new game started
        f.typist.Type("x\r");  // "x" is out, its answer not yet run
        f.typist.Answered(held[0]);
        EXPECT_EQ(f.game.received, "abcdx");
    }
}

// Closing: what was not sent is handed back, and nothing more is typed,
// even when the game answers for the character it held.
TEST(GameTypist, GivingUpHandsBackWhatWasNotSentAndTypesNothingMore) {
    Fixture f;
    f.game.hangAt = 2;
    f.typist.Type("abcdef\r");
    f.typist.Type("next\r");
    f.game.Run();
    EXPECT_EQ(f.typist.Behind(), 1u);
    EXPECT_EQ(f.typist.GiveUp(), (Strings{"def", "next"}));
    EXPECT_TRUE(f.typist.Idle());
    EXPECT_TRUE(f.typist.Unsent().empty());
    EXPECT_FALSE(f.game.watching);
    f.game.Release();
    f.game.Pass(2000);
    EXPECT_EQ(f.game.received, "abc");
    EXPECT_TRUE(f.events.told.empty());
}

}  // namespace

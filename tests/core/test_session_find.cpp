// Find over the session's lines: what FindInText finds in the display's
// text, entry by entry, through either kind of decoder. (The fuzz target
// checks it against FindInText over the joined entries on any input.)
#include "core/session_find.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace vek {

void PrintTo(const SessionMatch& m, std::ostream* os) { *os << m.entry << ':' << m.range.start << '-' << m.range.end; }

namespace {

// The entries as notices, which keep their text as it stands.
void Fill(SessionLines& s, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) s.Append(ShapeNotice(t));
}

std::array<char16_t, 256> Latin1() {
    std::array<char16_t, 256> t{};
    for (std::size_t b = 0; b < 256; ++b) t[b] = static_cast<char16_t>(b);
    return t;
}

// The same characters one entry at a time, as a double-byte code page's
// shell would convert them.
AnsiDecoder Latin1Converter() {
    return AnsiDecoder::Converter([](std::string_view bytes, std::u16string& out) {
        for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    });
}

TEST(FindInSession, NextMatchEachWayFromTheSelection) {
    SessionLines s;
    Fill(s, {"Orrin: hello", "orrin's cat", "Orrinson left", "hello ORRIN"});
    const SessionPlace end{4, 0};
    const FindOptions up{}, down{true}, upCase{false, true}, upWord{false, false, true};
    const struct {
        const char* name;
        std::u16string what;
        SessionSelection from;
        FindOptions o;
        std::optional<SessionMatch> found;
    } cases[] = {
        {"up from the end finds the newest", u"orrin", {end, end}, up, SessionMatch{3, {6, 11}}},
        {"up again, from that match", u"orrin", {{3, 6}, {3, 11}}, up, SessionMatch{2, {0, 5}}},
        {"down skips the selected match", u"orrin", {{0, 0}, {0, 5}}, down, SessionMatch{1, {0, 5}}},
        {"down from inside an entry", u"orrin", {{2, 1}, {2, 1}}, down, SessionMatch{3, {6, 11}}},
        {"down from the newest: no wrapping", u"orrin", {{3, 6}, {3, 11}}, down, std::nullopt},
        {"up from inside the first finds nothing", u"orrin", {{0, 3}, {0, 3}}, up, std::nullopt},
        {"down from past the end", u"orrin", {end, end}, down, std::nullopt},
        {"a selection over entries: down from its end", u"orrin", {{0, 2}, {2, 3}}, down, SessionMatch{3, {6, 11}}},
        {"a selection over entries: up from its start", u"orrin", {{1, 2}, {3, 3}}, up, SessionMatch{0, {0, 5}}},
        {"an offset past an entry's end is its end", u"cat", {{1, 99}, {1, 99}}, up, SessionMatch{1, {8, 11}}},
        {"match case", u"orrin", {end, end}, upCase, SessionMatch{1, {0, 5}}},
        {"whole word: an apostrophe ends a word", u"orrin", {end, end}, upWord, SessionMatch{3, {6, 11}}},
        {"whole word skips Orrinson", u"orrin", {{3, 6}, {3, 6}}, upWord, SessionMatch{1, {0, 5}}},
        {"a match never spans two entries", u"hello\rorrin", {end, end}, up, std::nullopt},
        {"nothing to find", u"", {end, end}, up, std::nullopt},
    };
    const AnsiDecoder decoders[] = {AnsiDecoder::SingleByte(Latin1()), Latin1Converter()};
    for (const AnsiDecoder& d : decoders)
        for (const auto& c : cases)
            EXPECT_EQ(FindInSession(s, d, c.what, c.from, c.o), c.found) << c.name << (d.IsSingleByte() ? "" : " (converter)");
    EXPECT_EQ(FindInSession(SessionLines{}, decoders[0], u"x", {}, down), std::nullopt);  // an empty session
}

TEST(FindInSession, LettersOfTheCodePageInEitherCase) {
    std::array<char16_t, 256> cp1251 = Latin1();
    for (std::size_t b = 0xC0; b < 0x100; ++b) cp1251[b] = static_cast<char16_t>(0x0410 + (b - 0xC0));  // А..я
    SessionLines s;
    Fill(s, {"caf\xC9 ok", "\xC0\xC1 x"});
    const AnsiDecoder latin = AnsiDecoder::SingleByte(Latin1());
    const AnsiDecoder cyrillic = AnsiDecoder::SingleByte(cp1251);
    EXPECT_EQ(FindInSession(s, latin, u"CAF\u00E9", {}, {true}), (SessionMatch{0, {0, 4}}));
    EXPECT_EQ(FindInSession(s, latin, u"CAF\u00E9", {}, {true, true}), std::nullopt);
    EXPECT_EQ(FindInSession(s, cyrillic, u"\u0430\u0431", {}, {true}), (SessionMatch{1, {0, 2}}));
    EXPECT_EQ(FindInSession(s, cyrillic, u"caf\u0439", {}, {true}), (SessionMatch{0, {0, 4}}));  // 0xC9 is Й here
}

// Characters of two bytes: positions count UTF-16 units, not bytes.
TEST(FindInSession, DoubleByteEntriesCountInUtf16Units) {
    const AnsiDecoder dbcs = AnsiDecoder::Converter([](std::string_view bytes, std::u16string& out) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b == 0x81 && i + 1 < bytes.size()) out += static_cast<char16_t>(0x4E00 + static_cast<unsigned char>(bytes[++i]));
            else out += static_cast<char16_t>(b);
        }
    });
    SessionLines s;
    Fill(s, {"\x81\x01\x81\x02 abc \x81\x03", "abc\x81\x04"});
    EXPECT_EQ(FindInSession(s, dbcs, u"abc", {}, {true}), (SessionMatch{0, {3, 6}}));
    EXPECT_EQ(FindInSession(s, dbcs, u"\u4E03", {}, {true}), (SessionMatch{0, {7, 8}}));
    EXPECT_EQ(FindInSession(s, dbcs, u"abc", {{1, 0}, {1, 0}}, {}), (SessionMatch{0, {3, 6}}));
    EXPECT_EQ(FindInSession(s, dbcs, u"abc", {{0, 6}, {0, 6}}, {true}), (SessionMatch{1, {0, 3}}));
    // Whole word: the ideograph after it is a word character.
    EXPECT_EQ(FindInSession(s, dbcs, u"abc", {{0, 6}, {0, 6}}, {true, false, true}), std::nullopt);
}

// A display that hides some kinds searches only the lines it shows, either way.
TEST(FindInSession, OnlyTheKindsAViewShows) {
    SessionLines s;
    Fill(s, {"ruby one", "ruby two", "ruby three"});
    LineKinds kinds;
    kinds.Add(LineKind::Chat, false);
    kinds.Add(LineKind::Page, false);
    kinds.Add(LineKind::Chat, false);
    const KindView chat(kinds, {LineKind::Chat});
    const AnsiDecoder d = AnsiDecoder::SingleByte(Latin1());
    EXPECT_EQ(FindInSession(s, d, u"ruby", {{0, 4}, {0, 4}}, {true}, &chat), (SessionMatch{2, {0, 4}}));
    EXPECT_EQ(FindInSession(s, d, u"ruby", {{2, 0}, {2, 0}}, {}, &chat), (SessionMatch{0, {0, 4}}));
    EXPECT_EQ(FindInSession(s, d, u"two", {}, {true}, &chat), std::nullopt);
}

}  // namespace
}  // namespace vek

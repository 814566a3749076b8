// The time lead of each line in the chat display, which the display itself
// drops, kept for the tooltip over a line. One entry per shown line, in the
// order the lines went into the display, so that entry n belongs to the
// display's line n (counted from 0).
//
//   a line shown:         times.Append(line.lead) once for each paragraph break
//                         the line's text makes (ChatRtf::Paragraphs before and after)
//   the rest of a line:   the same with an empty lead
//   display cleared:      times.Clear();  its first n lines removed: times.DropFront(n)
//   mouse over line n:    tooltip text times.Lead(n), none when it is empty
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vek {

inline constexpr std::size_t kMaxStoredLead = 32;

// The leads, stored end to end in one buffer with one 32-bit end offset per
// line: 26 bytes a line for the usual 22-byte lead, no allocation per line,
// and growth by a quarter at a time so that little stands unused.
class LineTimes {
public:
    // Adds the next shown line's lead, cut to kMaxStoredLead bytes. An empty
    // lead stands for a line without one. Once the buffer holds 4 GiB (some
    // 190 million lines) further leads are stored empty; the lines still count.
    void Append(std::string_view lead);

    // The lead of shown line `index`; empty for a line without one and for an
    // index past the last line. Valid until the next change of the store.
    std::string_view Lead(std::size_t index) const;

    std::size_t Size() const { return ends_.size(); }

    // The bytes the store has taken from the heap, used or held in reserve.
    std::size_t MemoryBytes() const { return text_.capacity() + ends_.capacity() * sizeof(ends_[0]); }

    // Forgets every line, and the memory with them.
    void Clear();

    // Forgets the first `count` lines (all of them when count >= Size()); the
    // rest move down to index 0. Costs time in proportion to what remains.
    void DropFront(std::size_t count);

private:
    std::vector<char> text_;  // not std::string, whose reserve rounds up to double
    std::vector<std::uint32_t> ends_;  // ends_[i]: where line i's lead ends in text_
};

}  // namespace vek

// Every line shown in this run, kept once and compactly, one entry per
// paragraph of the chat display: entry i is what display paragraph i shows.
// The display shows a window of it; Find searches all of it.
//
// A shown line makes one entry per paragraph break it holds (CR LF, a lone
// CR, a lone LF, as ChatRtf counts them); each entry after the first is a
// continuation with the line's lead, line colour and kind, its runs starting
// in the colour in force. A line that shows nothing makes none; the line
// that shows only its line break makes one empty entry. A text that ends
// without a line break (AppendData's text may) still makes an entry for its
// last piece, though the display runs it into the next line.
//
// Entries are written end to end into large blocks that never move, so a
// view of an entry stays valid while the store lives; each entry costs its
// lead, its text, its packed runs (PackRun), two bytes of header and a
// 16-byte index slot: about 108 bytes for a log line of 88 characters. The
// store keeps the whole run's lines (a million such lines take some 108 MB);
// nothing is dropped.
//
//   LineShaper shaper; shaper.Add(lines);   // every shown line goes in
//   lines.Render(a, b, rtf);                 // display paragraphs [a, b) into a document
//   StoredLine l = lines[i];                 // one entry, e.g. its lead for the tooltip
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/chat_display.h"
#include "core/shown_line.h"

namespace vek {

// The longest time lead an entry keeps; a longer one is cut.
inline constexpr std::size_t kMaxStoredLead = 32;

// One stored entry; its views are valid while the store lives.
struct StoredLine {
    std::string_view text;  // the characters shown (ANSI bytes as read), markup rendered, no line break
    std::string_view runs;  // text's colour runs, packed (PackedRuns); they cover text exactly
    std::string_view lead;  // the time lead, at most kMaxStoredLead bytes; empty: none
    Color color = OtherColor;  // the line colour
    LineKind kind = LineKind::Other;
    bool notice = false;     // a line of the program's own
    bool continues = false;  // goes on with the entry before: a second paragraph of one line, or a
                             // line's rest cut at a block's end
};

class SessionLines final : public ShownLineSink {
public:
    // Bytes in one block; an entry longer than that gets a block of its own.
    static constexpr std::size_t kBlockBytes = 512 * 1024;

    // blockBytes: other than kBlockBytes only to try block ends with few lines.
    explicit SessionLines(std::size_t blockBytes = kBlockBytes);
    ~SessionLines() override;
    SessionLines(const SessionLines&) = delete;
    SessionLines& operator=(const SessionLines&) = delete;

    // Keeps a shown line (any source) as its entries.
    void TakeShown(const ShownLine& line) override { Append(line); }
    void EndPass(const PassFacts&) override {}
    void Append(const ShownLine& line);

    std::size_t Size() const { return count_; }
    // Entry `index` (< Size()), at constant cost.
    StoredLine operator[](std::size_t index) const;
    // Only its text, for scanning many entries.
    std::string_view Text(std::size_t index) const {
        const Slot& s = chunks_[index / kSlotsPerChunk][index % kSlotsPerChunk];
        const char* p = blocks_[s.block].get() + s.offset;
        return std::string_view(p + kHeaderBytes + static_cast<unsigned char>(p[0]), s.textLength);
    }

    // Adds entries [first, last) to rtf's document, one paragraph each.
    void Render(std::size_t first, std::size_t last, ChatRtf& rtf) const;

    // The bytes taken from the heap: blocks, index, and what holds them.
    std::size_t MemoryBytes() const;

private:
    // Where an entry lies: in block `block` at `offset`, a header (lead
    // length, flags), then the lead, the text and the packed runs.
    struct Slot {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t textLength;
        std::uint32_t runsLength;
    };
    static constexpr std::size_t kHeaderBytes = 2;
    static constexpr std::size_t kSlotsPerChunk = 4096;

    // Room for `bytes` more in the current block (a new block when it lacks it).
    char* Reserve(std::size_t bytes);
    // Adds one entry: text_ and runs_ (then emptied) and what is given.
    void AddEntry(std::string_view lead, Color color, LineKind kind, bool notice, bool continues);

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::size_t> blockSizes_;
    std::size_t used_ = 0;  // bytes used in the last block
    std::vector<std::unique_ptr<Slot[]>> chunks_;
    std::size_t count_ = 0;
    std::size_t blockSize_;       // of a new block
    std::size_t blockBytes_ = 0;  // all blocks' sizes
    // The line being cut into entries: its runs, and the entry's text and
    // packed runs; reused from line to line.
    std::vector<ColorRun> lineRuns_;
    std::string text_;
    std::string runs_;
};

}  // namespace vek

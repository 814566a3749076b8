#include "core/session_lines.h"

#include <algorithm>
#include <cstring>


namespace vek {

namespace {


// Flags byte: colour index (3 bits), kind (2 bits), notice, continues.
constexpr unsigned kNoticeFlag = 1u << 5;
constexpr unsigned kContinuesFlag = 1u << 6;

constexpr Color kColors[] = {NormalColor, QuoteColor, BraceColor, PageInColor, PageOutColor, OtherColor};

unsigned ColorIndex(Color c) {
    const int i = RtfColorIndex(c);
    return i > 0 ? static_cast<unsigned>(i - 1) : 5u;
}

}  // namespace

SessionLines::SessionLines(std::size_t blockBytes) : blockSize_(std::max<std::size_t>(blockBytes, 64)) {}
SessionLines::~SessionLines() = default;

char* SessionLines::Reserve(std::size_t bytes) {
    if (blocks_.empty() || blockSizes_.back() - used_ < bytes) {
        const std::size_t size = std::max(blockSize_, bytes);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        blockSizes_.push_back(size);
        blockBytes_ += size;
        used_ = 0;
    }
    return blocks_.back().get() + used_;
}

void SessionLines::AddEntry(std::string_view lead, Color color, LineKind kind, bool notice, bool continues) {
    static_assert(sizeof(Slot) == 16);
    lead = lead.substr(0, std::min(lead.size(), kMaxStoredLead));
    const std::size_t bytes = kHeaderBytes + lead.size() + text_.size() + runs_.size();
    char* p = Reserve(bytes);
    p[0] = static_cast<char>(lead.size());
    p[1] = static_cast<char>(ColorIndex(color) | (static_cast<unsigned>(kind) << 3) | (notice ? kNoticeFlag : 0u) |
                             (continues ? kContinuesFlag : 0u));
    char* q = p + kHeaderBytes;
    if (!lead.empty()) q = std::copy(lead.begin(), lead.end(), q);
    if (!text_.empty()) q = std::copy(text_.begin(), text_.end(), q);
    if (!runs_.empty()) std::copy(runs_.begin(), runs_.end(), q);

    if (count_ % kSlotsPerChunk == 0) {
        if (chunks_.size() == chunks_.capacity()) chunks_.reserve(chunks_.size() * 2 + 16);
        chunks_.push_back(std::make_unique_for_overwrite<Slot[]>(kSlotsPerChunk));
    }
    chunks_.back()[count_ % kSlotsPerChunk] =
        Slot{static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(used_),
             static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(runs_.size())};
    used_ += bytes;
    ++count_;
    text_.clear();
    runs_.clear();
}

void SessionLines::Append(const ShownLine& line) {
    if (!line.Shows()) return;
    lineRuns_.clear();
    RenderLine(line, lineRuns_);

    // Cut where ChatRtf puts a paragraph break: CR, LF, CR LF (one break);
    // NUL shows nothing and leaves a CR's LF pending.
    const bool notice = line.source == LineSource::Notice;
    bool first = true;
    bool afterCr = false;
    Color pendingColor = line.color;  // colour of the run being gathered
    std::size_t pending = 0;          // its length so far
    Color packedColor = line.color;   // colour of the entry's last packed run (the line's before any)
    char buf[kMaxPackedRun];
    const auto flushRun = [&] {
        if (pending == 0) return;
        runs_.append(buf, PackRun(pending, pendingColor, buf));
        packedColor = pendingColor;
        pending = 0;
    };
    const auto endEntry = [&] {
        flushRun();
        // The break in the colour in force, as the display has it: an empty
        // run when that is not the colour of the last.
        if (pendingColor != packedColor) runs_.append(buf, PackRun(0, pendingColor, buf));
        packedColor = line.color;
        AddEntry(line.lead, line.color, line.kind, notice, line.continues || !first);
        first = false;
    };
    for (const ColorRun& run : lineRuns_) {
        if (run.color != pendingColor) {
            flushRun();
            pendingColor = run.color;
        }
        const char* p = run.text.data();
        const char* end = p + run.text.size();
        while (p != end) {
            // The plain stretch up to the next break or NUL, at once.
            const char* q = p;
            while (q != end && *q != '\r' && *q != '\n' && *q != '\0') ++q;
            if (q != p) {
                text_.append(p, q);
                pending += static_cast<std::size_t>(q - p);
                afterCr = false;
            }
            if (q == end) break;
            if (*q == '\r' || (*q == '\n' && !afterCr)) endEntry();
            if (*q != '\0') afterCr = *q == '\r';
            p = q + 1;
        }
    }
    if (!text_.empty()) endEntry();  // a text that ends without a line break
}

StoredLine SessionLines::operator[](std::size_t index) const {
    const Slot& s = chunks_[index / kSlotsPerChunk][index % kSlotsPerChunk];
    const char* p = blocks_[s.block].get() + s.offset;
    const auto leadLength = static_cast<unsigned char>(p[0]);
    const auto flags = static_cast<unsigned char>(p[1]);
    StoredLine l;
    l.lead = std::string_view(p + kHeaderBytes, leadLength);
    l.text = std::string_view(p + kHeaderBytes + leadLength, s.textLength);
    l.runs = std::string_view(p + kHeaderBytes + leadLength + s.textLength, s.runsLength);
    l.color = kColors[std::min<unsigned>(flags & 7u, 5u)];
    l.kind = static_cast<LineKind>((flags >> 3) & 3u);
    l.notice = (flags & kNoticeFlag) != 0;
    l.continues = (flags & kContinuesFlag) != 0;
    return l;
}

void SessionLines::Render(std::size_t first, std::size_t last, ChatRtf& rtf) const {
    last = std::min(last, count_);
    for (std::size_t i = first; i < last; ++i) {
        const StoredLine l = (*this)[i];
        rtf.AddPacked(l.text, l.runs, l.color);
    }
}

std::size_t SessionLines::MemoryBytes() const {
    return blockBytes_ + chunks_.size() * kSlotsPerChunk * sizeof(Slot) +
           blocks_.capacity() * sizeof(blocks_[0]) + blockSizes_.capacity() * sizeof(blockSizes_[0]) +
           chunks_.capacity() * sizeof(chunks_[0]) + text_.capacity() + runs_.capacity() +
           lineRuns_.capacity() * sizeof(ColorRun);
}

}  // namespace vek

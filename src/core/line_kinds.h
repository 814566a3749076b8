// Lines by kind: which of the session's stored entries a view shows, and
// where they stand. A view of some kinds (the pages alone, the chat without
// the program's notices) numbers its own lines; LineKinds and KindView map
// its line n to a store entry and back without walking the store.
//
//   LineKinds kinds;  kinds.CatchUp(session);            // after the store grew
//   KindView pages(kinds, KindFilter{LineKind::Page});  pages.CatchUp();
//   session[pages.Entry(n)] ...;  pages.LinesBefore(entry) ...
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/shown_line.h"

namespace vek {

class SessionLines;

// Every kind, in the order of its value (menus list them so).
inline constexpr LineKind kLineKinds[] = {LineKind::Chat, LineKind::Page, LineKind::Other};
static_assert(static_cast<int>(kLineKinds[1]) == 1 && static_cast<int>(kLineKinds[2]) == 2);

// A set of line kinds.
class KindFilter {
public:
    constexpr KindFilter() = default;  // no kind
    constexpr KindFilter(std::initializer_list<LineKind> kinds) {
        for (LineKind k : kinds) bits_ = static_cast<std::uint8_t>(bits_ | Bit(k));
    }
    static constexpr KindFilter All() { return {LineKind::Chat, LineKind::Page, LineKind::Other}; }

    constexpr bool Has(LineKind k) const { return (bits_ & Bit(k)) != 0; }
    constexpr KindFilter With(LineKind k, bool on) const {
        KindFilter f = *this;
        f.bits_ = static_cast<std::uint8_t>(on ? (bits_ | Bit(k)) : (bits_ & ~Bit(k)));
        return f;
    }
    constexpr bool IsAll() const { return bits_ == All().bits_; }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    friend constexpr bool operator==(KindFilter, KindFilter) = default;

private:
    static constexpr std::uint8_t Bit(LineKind k) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(k)); }
    std::uint8_t bits_ = 0;
};

// The kind of every stored entry, one byte each, in store order. A
// continuation (the rest of a line cut at a block's end, a further paragraph
// of one line) is of the kind of the line it continues, whatever its own
// piece would look like on its own.
class LineKinds {
public:
    // The next entry.
    void Add(LineKind kind, bool continues);
    // Takes the entries the store gained since the last call (the store only grows).
    void CatchUp(const SessionLines& lines);

    std::size_t Size() const { return kinds_.size(); }
    LineKind operator[](std::size_t entry) const { return kinds_[entry]; }

private:
    std::vector<LineKind> kinds_;
};

// The entries of a chosen set of kinds, in store order: the view's line n is
// store entry Entry(n). It keeps the chosen entries' indexes (4 bytes each;
// nothing while every kind is chosen), grown by CatchUp as the store grows
// and counted again, in one pass over the kinds, when the choice changes.
class KindView {
public:
    explicit KindView(const LineKinds& kinds, KindFilter filter = KindFilter::All());

    KindFilter Filter() const { return filter_; }
    // Chooses other kinds: the view's lines are counted again from the first entry.
    void SetFilter(KindFilter filter);
    // Takes the entries added to the kinds since the last call.
    void CatchUp();

    // Lines in the view (of the entries taken so far).
    std::size_t Size() const { return filter_.IsAll() ? seen_ : entries_.size(); }
    // The store entry of the view's line (< Size()), at constant cost.
    std::size_t Entry(std::size_t line) const { return filter_.IsAll() ? line : entries_[line]; }
    // How many of the view's lines come before store entry `entry`: the
    // view's line of that entry when the view shows it, else of the next
    // entry it shows (Size() when none follows). Logarithmic cost.
    std::size_t LinesBefore(std::size_t entry) const;
    // Whether the view shows store entry `entry` (< the entries taken).
    bool Shows(std::size_t entry) const { return filter_.Has((*kinds_)[entry]); }

private:
    const LineKinds* kinds_;
    KindFilter filter_;
    std::size_t seen_ = 0;  // entries of kinds_ taken
    // The shown entries' indexes while not every kind is shown; a session
    // never holds 2^32 entries (that would be hundreds of gigabytes).
    std::vector<std::uint32_t> entries_;
};

}  // namespace vek

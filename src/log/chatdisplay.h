// The chat display: a bounded window onto the session's stored lines. The
// store keeps every line of the run; the display (a RichEdit) holds a run of
// them around what the player reads, one paragraph per stored entry, and
// brings earlier or later ones in as the view nears its ends (so memory and
// the cost of a new line stay flat all evening). Its scroll bar, a control
// of its own beside the box, stands for the whole session.
//
// New lines go in at the end in one RTF insertion per pass, or per few
// passes while they come fast (at most a tenth of a second late). The player's
// caret and selection stay on their text, unless the caret stood at the end;
// then it follows the new end. The view follows new lines while it shows
// the session's end, and stays where the player scrolled it otherwise (the
// scroll lock).
//
// It shows the lines of the kinds chosen (every kind at first): its lines
// are those of a KindView, numbered on their own, each a store entry.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/chat_display.h"
#include "core/line_kinds.h"
#include "core/scroll_lock.h"
#include "core/session_find.h"
#include "core/session_lines.h"
#include "core/session_view.h"
#include "core/shown_line.h"

namespace vek {

class ChatDisplay final : public ShownLineSink {
public:
    ChatDisplay() = default;
    ChatDisplay(const ChatDisplay&) = delete;  // its timer knows it by address
    ChatDisplay& operator=(const ChatDisplay&) = delete;
    ~ChatDisplay() override;

    // The display box (a RichEdit without a scroll bar of its own), the
    // scroll bar control that stands beside it, the store it shows and its
    // entries' kinds (which must outlive this; the store takes each line
    // before this does), the code page the store's text is in, and the kinds
    // of line shown.
    void Attach(HWND box, HWND bar, const SessionLines& session, LineKinds& kinds, int codepage,
                KindFilter shown = KindFilter::All());

    // Shows the lines of other kinds: the view stays on the line it showed
    // first (or the next one shown), the caret and selection on their text,
    // a following view at the end.
    void SetFilter(KindFilter shown);
    KindFilter Filter() const { return view_ ? view_->Filter() : KindFilter::All(); }
    // The view's lines, of the entries stored so far.
    std::uint64_t Lines();

    // A line of the pass under way waits for EndPass; AppendData's text and
    // a notice show at once.
    void TakeShown(const ShownLine& line) override;
    void EndPass(const PassFacts& facts) override;
    // Lines of passes that wait to be written together go in now (the
    // follower stopped).
    void ShowWaiting();

    // A display not in use (a hidden pane) does nothing as lines come; made
    // active again, it shows the newest and follows them.
    void SetActive(bool on);

    // Whether new lines bring the view along, and how many came while not.
    const ScrollLock& Lock() const { return lock_; }

    // Whether a message to the box is one by which the player moves its view
    // (scroll messages, wheel, paging and arrow keys, a mouse drag); ViewMoved
    // goes after the box has handled it.
    static bool MovesView(UINT msg, WPARAM wp);
    // The view may have moved (by that message): lines are brought in or let
    // go around it, and it is held while it is off the session's end and
    // follows again once it shows it. Ctrl+Home goes to the session's first
    // line, Ctrl+End to its last. Ignored while the display writes.
    void ViewMoved(UINT msg = 0, WPARAM wp = 0);
    // Back to following (the new-lines bar, Ctrl+End): the view goes to the end.
    void FollowEnd();
    // The scroll bar's WM_VSCROLL (its request code).
    void BarScrolled(int code);
    // The box changed size: a following view stays at the end, and the bar
    // shows the new page.
    void Resized();

    // The display's selection as places in the store.
    SessionSelection Selection();
    // Selects text of one entry the display shows (UTF-16 offsets), bringing
    // it in first when the display does not hold it, and scrolls it into view.
    void Select(std::size_t entry, std::size_t start, std::size_t end);
    // How the store's bytes read as UTF-16.
    const AnsiDecoder& Decoder() const { return decoder_; }
    // Which store entries the display shows (null before Attach).
    const KindView* Shown() const { return view_ ? &*view_ : nullptr; }

    // The store entry shown at a point of the box's client area; nullopt
    // when the point lies beyond the last line.
    std::optional<std::size_t> EntryAt(POINT client);
    // The store entry of the line the caret is on; nullopt when there is none.
    std::optional<std::size_t> EntryAtCaret();

    // The lines (of the view) the display holds.
    HeldLines Held() const { return held_; }
    // How much the display holds and in what steps; for tests, before lines come.
    void SetBounds(ViewBounds b) { bounds_ = b; }

private:
    struct Place {  // a selection end in the view's lines, or past their end
        std::uint64_t line = 0;
        std::size_t offset = 0;
    };
    struct SavedSel {
        Place start, end;
        bool caretAtEnd = false;
    };

    // A pass that was not shown (a burst went on, or the last write was
    // too recent) is shown when its wait is over, should no pass with lines
    // come before.
    static void CALLBACK ShowLate(HWND box, UINT, UINT_PTR self, DWORD) noexcept;
    // Brings the session's new lines in (following) or counts them (held);
    // catchingUp: more is waiting.
    void ShowNew(bool catchingUp);
    // Makes the display hold c.after, keeping the view on its text and the
    // caret and selection on theirs.
    void Apply(const WindowChange& c, bool repaint);
    // Fills the display anew with `held` (the caller places view and selection).
    void Fill(HeldLines held);
    // The store entry shown at character `pos`; nullopt beyond the last line.
    std::optional<std::size_t> EntryOfChar(LRESULT pos);
    // Reads where the paragraphs start from the box's own text.
    void ReadStarts();
    // Shows store line `line` first; done: the end of a drag or a jump.
    void JumpTo(std::uint64_t line, bool done);
    // The store entry of the view's line.
    std::size_t Entry(std::uint64_t line) const { return view_->Entry(static_cast<std::size_t>(line)); }
    // The same, a line past the view's last standing for the session's end.
    std::size_t EntryOrEnd(std::uint64_t line) const {
        return line < view_->Size() ? Entry(line) : session_->Size();
    }
    // The RTF of lines [a, b).
    std::string_view Render(std::uint64_t a, std::uint64_t b);
    // Inserts `rtf` at character `at`.
    void Insert(int at, std::string_view rtf);
    void Delete(int from, int to);
    // Characters lines [a, b) take in the box, line breaks included.
    std::vector<int> Lengths(std::uint64_t a, std::uint64_t b);

    // Whether the box still holds a paragraph per held entry. Emptied by the
    // player, it starts over empty at the session's end (and is intact); an
    // edit within lines keeps it intact; one that took or made line breaks
    // does not, until the window is filled from the store again.
    bool Intact();
    // Fills the window from the store again when it is not intact: before
    // the display changes, the player's edit gives way to the session's text.
    void CheckIntact();
    int Total() const { return starts_.back(); }
    // The paragraph (index into the window) of character `pos`.
    std::size_t ParagraphOf(int pos) const;
    // The lines in view; atEnd: the box shows its last line (it was just
    // scrolled there), which saves finding the line at its bottom.
    ViewLines View(bool atEnd = false);
    bool ShowsSessionEnd();
    // Scrolls the box so that window paragraph p is its first line.
    void ScrollToParagraph(std::size_t p);
    SavedSel SaveSel();
    void RestoreSel(const SavedSel& s);
    int CharOf(Place p) const;  // -1 when the window does not hold it
    void UpdateBar();

    // How often the display is written while a burst goes in, and while
    // lines come faster than that of a fast chat.
    static constexpr ULONGLONG kBurstPaintMs = 250;
    static constexpr ULONGLONG kFastPaintMs = 100;

    HWND box_ = nullptr;
    HWND bar_ = nullptr;
    const SessionLines* session_ = nullptr;
    LineKinds* kinds_ = nullptr;
    std::optional<KindView> view_;
    AnsiDecoder decoder_;
    ChatRtf rtf_;
    ViewBounds bounds_;
    HeldLines held_;
    std::vector<int> starts_{0};  // where each held paragraph starts; last: the text's end
    std::u16string scratch_;
    ULONGLONG painted_ = 0;  // when new lines were last shown
    bool writing_ = false;
    bool edited_ = false;  // the player's edit took or made line breaks
    bool late_ = false;    // the ShowLate timer is set
    bool active_ = true;
    bool brief_ = false;   // a burst going in left only its newest lines held
    ScrollLock lock_;
    std::uint64_t counted_ = 0;  // lines the scroll lock has counted
};

}  // namespace vek

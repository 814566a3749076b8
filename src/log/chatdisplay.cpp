#include "log/chatdisplay.h"

#include <richedit.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "win/handles.h"
#include "win/richedit.h"

namespace vek {

using namespace win;

namespace {

AnsiDecoder DecoderFor(int codepage) {
    CPINFO info{};
    if (::GetCPInfo(static_cast<UINT>(codepage), &info) && info.MaxCharSize == 1) {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            wchar_t w = 0;
            const bool one = ::MultiByteToWideChar(static_cast<UINT>(codepage), 0, &c, 1, &w, 1) == 1;
            table[static_cast<std::size_t>(b)] = one ? static_cast<char16_t>(w) : static_cast<char16_t>(b);
        }
        return AnsiDecoder::SingleByte(table);
    }
    return AnsiDecoder::Converter([codepage](std::string_view bytes, std::u16string& out) {
        if (bytes.empty()) return;
        const int size = static_cast<int>(bytes.size());
        const int n = ::MultiByteToWideChar(static_cast<UINT>(codepage), 0, bytes.data(), size, nullptr, 0);
        if (n <= 0) return;
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(n));
        ::MultiByteToWideChar(static_cast<UINT>(codepage), 0, bytes.data(), size,
                              reinterpret_cast<wchar_t*>(out.data() + at), n);
    });
}

bool CtrlAlone() { return ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) >= 0; }

}  // namespace

ChatDisplay::~ChatDisplay() {
    if (late_) ::KillTimer(box_, reinterpret_cast<UINT_PTR>(this));
}

void CALLBACK ChatDisplay::ShowLate(HWND box, UINT, UINT_PTR self, DWORD) noexcept {
    ::KillTimer(box, self);
    auto* d = reinterpret_cast<ChatDisplay*>(self);
    d->late_ = false;
    try {
        d->ShowNew(false);
    } catch (...) {  // out of memory: the next pass shows it
    }
}

void ChatDisplay::Attach(HWND box, HWND bar, const SessionLines& session, LineKinds& kinds, int codepage,
                         KindFilter shown) {
    box_ = box;
    bar_ = bar;
    session_ = &session;
    kinds_ = &kinds;
    view_.emplace(kinds, shown);
    rtf_.SetCodePage(codepage);
    decoder_ = DecoderFor(codepage);
    const std::uint64_t n = Lines();
    held_ = {n, 0};
    starts_.assign(1, 0);
    counted_ = n;
    UpdateBar();
}

std::uint64_t ChatDisplay::Lines() {
    kinds_->CatchUp(*session_);
    view_->CatchUp();
    return view_->Size();
}

void ChatDisplay::SetFilter(KindFilter shown) {
    if (!view_ || shown == view_->Filter()) return;
    CheckIntact();
    Lines();
    // The first line in view and the selection, held by store entry while
    // the lines are numbered anew.
    const std::size_t stored = session_->Size();
    const std::size_t top = EntryOrEnd(held_.count > 0 ? View().first : held_.end());
    SavedSel sel = SaveSel();
    const std::size_t selStart = EntryOrEnd(sel.start.line), selEnd = EntryOrEnd(sel.end.line);
    view_->SetFilter(shown);
    const std::uint64_t n = view_->Size();
    counted_ = n;
    const auto lineOf = [&](std::size_t entry, std::size_t& offset) {
        if (entry >= stored || !view_->Shows(entry)) offset = 0;  // the next line shown, from its start
        return static_cast<std::uint64_t>(view_->LinesBefore(entry));
    };
    sel.start.line = lineOf(selStart, sel.start.offset);
    sel.end.line = lineOf(selEnd, sel.end.offset);
    const bool following = lock_.Following();
    std::size_t topOffset = 0;
    const std::uint64_t first = lineOf(top, topOffset);
    const std::uint64_t last = std::min(n, bounds_.keep);  // a following view holds the newest
    writing_ = true;
    {
        RedrawFreeze freeze(box_, true, RedrawFreeze::kClientOnly);
        Fill(following ? HeldLines{n - last, last} : WindowAt(n, first, bounds_));
        RestoreSel(sel);
        if (following) ScrollToEnd(box_);
        else ScrollToParagraph(static_cast<std::size_t>(std::clamp(first, held_.first, held_.end()) - held_.first));
    }
    writing_ = false;
    if (!following) lock_.ViewMoved(ShowsSessionEnd());
    UpdateBar();
}

void ChatDisplay::TakeShown(const ShownLine& line) {
    // A pass's lines go in together at its end; the others now.
    if (active_ && line.source != LineSource::Log && line.Shows()) ShowNew(false);
}

void ChatDisplay::SetActive(bool on) {
    if (on == active_) return;
    active_ = on;
    if (!on) {
        if (late_) ::KillTimer(box_, reinterpret_cast<UINT_PTR>(this));
        late_ = false;
        return;
    }
    counted_ = Lines();
    FollowEnd();
}

void ChatDisplay::EndPass(const PassFacts& facts) {
    if (!active_) return;
    // While a burst goes in, writing every part would cost more than the
    // part: the display takes the newest lines a few times a second, and
    // once more when the burst is in. A fast chat (lines coming closer
    // together than kFastPaintMs) goes in the same way, a few passes at a
    // time: each write costs the box about as much as the lines it carries.
    // (Held, new lines are only counted for the new-lines bar: at once.)
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG wait = facts.moreWaiting ? kBurstPaintMs : kFastPaintMs;
    const bool later = facts.moreWaiting || (lock_.Following() && Lines() != counted_);
    if (later && now - painted_ < wait) {
        // The passes after it may bring no lines: shown a little later then.
        // Armed once; the next pass that shows its lines disarms it.
        if (!late_)
            late_ = ::SetTimer(box_, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(painted_ + wait - now),
                               &ChatDisplay::ShowLate) != 0;
        return;
    }
    ShowNew(facts.moreWaiting);
}

void ChatDisplay::ShowWaiting() {
    if (active_ && late_) ShowNew(false);
}

void ChatDisplay::ShowNew(bool catchingUp) {
    if (late_) {
        ::KillTimer(box_, reinterpret_cast<UINT_PTR>(this));
        late_ = false;
    }
    const std::uint64_t n = Lines();
    if (n == counted_ && !brief_) return;  // none of the new lines is of the kinds shown
    painted_ = ::GetTickCount64();
    lock_.Added(n - counted_);
    counted_ = n;
    CheckIntact();
    // Held, the window takes new lines only while the view is near its bottom.
    // Catching up, a screenful or so of the newest will do until the rest is in.
    const ViewBounds b = catchingUp ? ViewBounds{bounds_.batch, bounds_.batch} : bounds_;
    Apply(lock_.Following() ? PlanNewLines(n, held_, true, b) : PlanAround(n, held_, View(), bounds_), true);
    brief_ = catchingUp;
    UpdateBar();
}

std::string_view ChatDisplay::Render(std::uint64_t a, std::uint64_t b) {
    rtf_.Begin();
    if (view_->Filter().IsAll()) {
        session_->Render(static_cast<std::size_t>(a), static_cast<std::size_t>(b), rtf_);
    } else {
        for (std::uint64_t i = a; i < b; ++i) {
            const std::size_t e = Entry(i);
            session_->Render(e, e + 1, rtf_);
        }
    }
    return rtf_.Finish();  // views a whole std::string: NUL-terminated
}

std::vector<int> ChatDisplay::Lengths(std::uint64_t a, std::uint64_t b) {
    std::vector<int> out;
    out.reserve(static_cast<std::size_t>(b - a));
    for (std::uint64_t i = a; i < b; ++i) {
        const std::string_view text = (*session_)[Entry(i)].text;
        std::size_t n = text.size();
        if (!decoder_.IsSingleByte()) {
            scratch_.clear();
            decoder_.Decode(text, scratch_);
            n = scratch_.size();
        }
        out.push_back(static_cast<int>(n) + 1);  // and its paragraph break
    }
    return out;
}

void ChatDisplay::Insert(int at, std::string_view rtf) {
    SetSel(box_, at, at);
    SETTEXTEX st{ST_SELECTION, CP_ACP};
    ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
}

void ChatDisplay::Delete(int from, int to) {
    SetSel(box_, from, to);
    ReplaceSel(box_, "", false);
}

std::size_t ChatDisplay::ParagraphOf(int pos) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
    return it == starts_.begin() ? 0 : static_cast<std::size_t>(it - starts_.begin()) - 1;
}

int ChatDisplay::CharOf(Place p) const {
    if (p.line < held_.first || p.line > held_.end()) return -1;
    const std::size_t i = static_cast<std::size_t>(p.line - held_.first);
    if (i == starts_.size() - 1) return Total();
    const int length = starts_[i + 1] - starts_[i] - 1;  // its text, without the break
    return starts_[i] + std::min(static_cast<int>(std::min<std::size_t>(p.offset, 0x7FFFFFFF)), length);
}

ChatDisplay::SavedSel ChatDisplay::SaveSel() {
    const win::Selection s = GetSel(box_);
    SavedSel r;
    r.caretAtEnd = s.start == s.end && s.end >= Total();
    auto place = [this](int pos) {
        pos = std::clamp(pos, 0, Total());
        const std::size_t p = ParagraphOf(pos);
        return Place{held_.first + p, static_cast<std::size_t>(pos - starts_[p])};
    };
    r.start = place(s.start);
    r.end = place(s.end);
    return r;
}

void ChatDisplay::RestoreSel(const SavedSel& s) {
    if (s.caretAtEnd) {
        SetSel(box_, Total(), Total());
        return;
    }
    // Text that left the window takes the selection's end to the window's edge.
    auto at = [this](Place p) {
        const int c = CharOf(p);
        return c >= 0 ? c : p.line < held_.first ? 0 : Total();
    };
    SetSel(box_, at(s.start), at(s.end));
}

void ChatDisplay::ScrollToParagraph(std::size_t p) {
    if (p >= starts_.size()) return;
    const LRESULT row = ::SendMessageW(box_, EM_EXLINEFROMCHAR, 0, starts_[p]);
    const LRESULT now = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (row != now) ::SendMessageW(box_, EM_LINESCROLL, 0, row - now);
}

void ChatDisplay::Apply(const WindowChange& c, bool repaint) {
    if (c.None()) return;
    writing_ = true;
    const SavedSel sel = SaveSel();
    if (c.replace) {
        // Following, the view goes to the end; otherwise it keeps its first line when it can.
        const std::uint64_t top = lock_.Following() ? c.after.end() : View().first;
        RedrawFreeze freeze(box_, repaint, RedrawFreeze::kClientOnly);
        Fill(c.after);
        RestoreSel(sel);
        if (lock_.Following()) ScrollToEnd(box_);
        else ScrollToParagraph(static_cast<std::size_t>(std::clamp(top, c.after.first, c.after.end()) - c.after.first));
        writing_ = false;
        return;
    }
    {
        RedrawFreeze freeze(box_, repaint, RedrawFreeze::kClientOnly);
        // The first line in view, by its first character: kept in view by its
        // row, not by pixels, so that this holds in any length of document.
        // (A following view goes to the end instead.)
        const bool following = lock_.Following();
        int anchor = following ? 0
                               : static_cast<int>(::SendMessageW(
                                     box_, EM_LINEINDEX, ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0), 0));
        const std::size_t count = static_cast<std::size_t>(held_.count);
        if (c.dropBottom > 0) {
            const std::size_t keep = count - static_cast<std::size_t>(c.dropBottom);
            Delete(starts_[keep], Total());
            starts_.resize(keep + 1);
        }
        if (c.addBottom > 0) {
            const std::uint64_t end = held_.end() - c.dropBottom;
            const std::vector<int> lengths = Lengths(end, end + c.addBottom);
            Insert(Total(), Render(end, end + c.addBottom));
            for (int n : lengths) starts_.push_back(starts_.back() + n);
        }
        if (c.dropTop > 0) {
            const int cut = starts_[static_cast<std::size_t>(c.dropTop)];
            Delete(0, cut);
            starts_.erase(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(c.dropTop));
            for (int& s : starts_) s -= cut;
            anchor = std::max(anchor - cut, 0);
        }
        if (c.addTop > 0) {
            const std::vector<int> lengths = Lengths(c.after.first, c.after.first + c.addTop);
            Insert(0, Render(c.after.first, c.after.first + c.addTop));
            std::vector<int> starts;
            starts.reserve(lengths.size() + starts_.size());
            int at = 0;
            for (int n : lengths) {
                starts.push_back(at);
                at += n;
            }
            for (int s : starts_) starts.push_back(s + at);
            starts_.swap(starts);
            anchor += at;
        }
        held_ = c.after;
        if (CharCount(box_) != Total()) ReadStarts();
        RestoreSel(sel);
        if (following) {
            ScrollToEnd(box_);
        } else {
            const LRESULT want = ::SendMessageW(box_, EM_EXLINEFROMCHAR, 0, anchor);
            const LRESULT now = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
            if (want != now) ::SendMessageW(box_, EM_LINESCROLL, 0, want - now);
        }
    }
    writing_ = false;
}

void ChatDisplay::Fill(HeldLines held) {
    const std::vector<int> lengths = Lengths(held.first, held.end());
    SetSel(box_, 0, -1);
    if (held.count > 0) {
        SETTEXTEX st{ST_SELECTION, CP_ACP};
        const std::string_view rtf = Render(held.first, held.end());
        ::SendMessageW(box_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
    } else {
        ReplaceSel(box_, "", false);
    }
    starts_.assign(1, 0);
    for (int n : lengths) starts_.push_back(starts_.back() + n);
    held_ = held;
    edited_ = false;
    if (CharCount(box_) != Total()) ReadStarts();
}

void ChatDisplay::ReadStarts() {
    // After the player's edit, or where the box made other characters of some
    // text than were counted, its own text says where the paragraphs start.
    const std::wstring text = GetAllTextWide(box_);
    starts_.assign(1, 0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'\r') starts_.push_back(static_cast<int>(i) + 1);
    edited_ = starts_.size() != static_cast<std::size_t>(held_.count) + 1;
    // Text after the last line break (the player's) goes with the end: new lines follow it.
    starts_.back() = static_cast<int>(text.size());
}

bool ChatDisplay::Intact() {
    const int n = CharCount(box_);
    if (n == 0 && held_.count > 0) {
        // The player emptied the display: it goes on with new lines, and
        // reading back brings the earlier ones in again.
        held_ = {held_.end(), 0};
        starts_.assign(1, 0);
        edited_ = false;
        lock_.Follow();
        return true;
    }
    if (!edited_ && n != Total()) ReadStarts();
    return !edited_;
}

void ChatDisplay::CheckIntact() {
    if (Intact()) return;
    writing_ = true;
    const LRESULT row = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    const std::size_t held = static_cast<std::size_t>(held_.count);
    const std::size_t p = std::min(ParagraphOf(static_cast<int>(::SendMessageW(box_, EM_LINEINDEX, row, 0))),
                                   held > 0 ? held - 1 : 0);
    const win::Selection s = GetSel(box_);
    RedrawFreeze freeze(box_, true, RedrawFreeze::kClientOnly);
    Fill(held_);
    SetSel(box_, std::min(s.start, Total()), std::min(s.end, Total()));
    if (lock_.Following()) ScrollToEnd(box_);
    else ScrollToParagraph(p);
    writing_ = false;
}

ViewLines ChatDisplay::View(bool atEnd) {
    if (held_.count == 0) return {held_.first, 1};
    const std::size_t last = static_cast<std::size_t>(held_.count) - 1;
    const LRESULT row = ::SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    const std::size_t first =
        std::min(ParagraphOf(static_cast<int>(::SendMessageW(box_, EM_LINEINDEX, row, 0))), last);
    if (atEnd) return {held_.first + first, last - first + 1};
    RECT rc{};
    ::GetClientRect(box_, &rc);
    POINTL bottom{0, std::max<LONG>(rc.bottom - 1, 0)};
    const LRESULT pos = ::SendMessageW(box_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    const std::size_t end = std::clamp(ParagraphOf(static_cast<int>(std::max<LRESULT>(pos, 0))), first, last);
    return {held_.first + first, end - first + 1};
}

bool ChatDisplay::ShowsSessionEnd() {
    return held_.end() == Lines() && (held_.count == 0 || ShowsEnd(box_));
}

void ChatDisplay::UpdateBar() {
    if (!bar_ || !view_) return;
    // A following view was just scrolled to the end: its last line is the last held.
    const ScrollBarState s = ScrollBarFor(Lines(), View(lock_.Following() && !edited_));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMax = s.max;
    si.nPage = static_cast<UINT>(s.page);
    si.nPos = s.pos;
    // Painted again only when the thumb or the bar's state looks different:
    // a long session moves the thumb a pixel only every so many new lines.
    SCROLLBARINFO before{}, after{};
    before.cbSize = after.cbSize = sizeof before;
    const bool known = ::GetScrollBarInfo(bar_, OBJID_CLIENT, &before);
    ::SetScrollInfo(bar_, SB_CTL, &si, FALSE);
    if (!known || !::GetScrollBarInfo(bar_, OBJID_CLIENT, &after) || before.xyThumbTop != after.xyThumbTop ||
        before.xyThumbBottom != after.xyThumbBottom ||
        !std::equal(std::begin(before.rgstate), std::end(before.rgstate), std::begin(after.rgstate)))
        ::InvalidateRect(bar_, nullptr, TRUE);
}

bool ChatDisplay::MovesView(UINT msg, WPARAM wp) {
    switch (msg) {
        case WM_VSCROLL:
        case WM_MOUSEWHEEL:
        case WM_LBUTTONUP:  // after a drag that scrolled the view
        case EM_LINESCROLL:
        case EM_SCROLL:
        case EM_SETSCROLLPOS:
            return true;
        case WM_KEYDOWN:
            return wp == VK_PRIOR || wp == VK_NEXT || wp == VK_UP || wp == VK_DOWN || wp == VK_HOME || wp == VK_END;
        default:
            return false;
    }
}

void ChatDisplay::ViewMoved(UINT msg, WPARAM wp) {
    if (writing_) return;
    if (msg == WM_KEYDOWN && (wp == VK_HOME || wp == VK_END) && CtrlAlone()) {
        if (wp == VK_END) {
            FollowEnd();
            return;
        }
        JumpTo(0, true);
        SetSel(box_, 0, 0);
        return;
    }
    if (!Intact()) {
        // Lines come in only once the player's edit gave way (see CheckIntact).
        lock_.ViewMoved(ShowsSessionEnd());
        return;
    }
    lock_.ViewMoved(ShowsSessionEnd());
    Apply(PlanAround(Lines(), held_, View(), bounds_), true);
    UpdateBar();
}

void ChatDisplay::FollowEnd() {
    lock_.Follow();
    CheckIntact();
    Apply(PlanNewLines(Lines(), held_, true, bounds_), true);
    writing_ = true;
    ScrollToEnd(box_);
    writing_ = false;
    UpdateBar();
}

void ChatDisplay::JumpTo(std::uint64_t line, bool done) {
    CheckIntact();
    const std::uint64_t n = Lines();
    const ViewLines view = View();
    writing_ = true;
    if (line >= held_.first && line + view.count <= held_.end()) {
        ScrollToParagraph(static_cast<std::size_t>(line - held_.first));
    } else {
        RedrawFreeze freeze(box_, true, RedrawFreeze::kClientOnly);
        const SavedSel sel = SaveSel();
        Fill(WindowAt(n, line, bounds_));
        RestoreSel(sel);
        ScrollToParagraph(static_cast<std::size_t>(std::clamp(line, held_.first, held_.end()) - held_.first));
    }
    writing_ = false;
    lock_.ViewMoved(ShowsSessionEnd());
    Apply(PlanAround(n, held_, View(), bounds_), true);
    if (done) UpdateBar();
}

void ChatDisplay::BarScrolled(int code) {
    switch (code) {
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The track position is 32 bits; the message's own only 16.
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            if (!::GetScrollInfo(bar_, SB_CTL, &si)) return;
            const std::uint64_t n = Lines();
            const ScrollBarState s = ScrollBarFor(n, View());
            JumpTo(LineAtThumb(n, si.nTrackPos, static_cast<std::uint64_t>(s.page) * s.unit), code == SB_THUMBPOSITION);
            break;
        }
        case SB_TOP:
            JumpTo(0, true);
            break;
        case SB_BOTTOM:
            FollowEnd();
            break;
        case SB_ENDSCROLL:
            UpdateBar();
            break;
        default:
            // Lines and pages: the box scrolls itself (and tells ViewMoved).
            ::SendMessageW(box_, WM_VSCROLL, static_cast<WPARAM>(code), 0);
            break;
    }
}

SessionSelection ChatDisplay::Selection() {
    CheckIntact();
    const SavedSel s = SaveSel();
    return {{EntryOrEnd(s.start.line), s.start.offset}, {EntryOrEnd(s.end.line), s.end.offset}};
}

void ChatDisplay::Select(std::size_t entry, std::size_t start, std::size_t end) {
    CheckIntact();
    const std::uint64_t n = Lines();
    const std::uint64_t line = view_->LinesBefore(entry);
    writing_ = true;
    RedrawFreeze freeze(box_, true, RedrawFreeze::kClientOnly);
    if (line < held_.first || line >= held_.end()) Fill(WindowAt(n, line, bounds_));
    const int a = CharOf({line, start}), b = CharOf({line, end});
    SetSel(box_, std::max(a, 0), std::max(b, 0));
    ::SendMessageW(box_, EM_SCROLLCARET, 0, 0);
    writing_ = false;
}

void ChatDisplay::Resized() {
    if (!box_) return;  // not attached yet
    if (lock_.Following()) {
        writing_ = true;
        ScrollToEnd(box_);
        writing_ = false;
    }
    UpdateBar();
}

std::optional<std::size_t> ChatDisplay::EntryAt(POINT client) {
    POINTL p{client.x, client.y};
    return EntryOfChar(::SendMessageW(box_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p)));
}

std::optional<std::size_t> ChatDisplay::EntryAtCaret() { return EntryOfChar(GetSel(box_).end); }

std::optional<std::size_t> ChatDisplay::EntryOfChar(LRESULT pos) {
    if (!Intact()) return std::nullopt;  // which line is which, the edit has muddled
    if (pos < 0 || pos >= Total()) return std::nullopt;
    return Entry(held_.first + ParagraphOf(static_cast<int>(pos)));
}

}  // namespace vek

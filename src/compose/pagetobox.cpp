#include "compose/pagetobox.h"

#include <algorithm>
#include <optional>

#include "core/message.h"
#include "win/text.h"

namespace vek {

namespace {

bool Refused(wchar_t c) { return c < 128 && !IsCleanPageToChar(static_cast<char>(c)); }

// Characters the box acts on rather than inserts: Backspace, and Ctrl+A,
// C, V, X and Z as the edit control reads them.
bool IsEditingKey(int ch) { return ch == '\b' || ch == 1 || ch == 3 || ch == 22 || ch == 24 || ch == 26; }

DWORD TextLength(HWND box) { return static_cast<DWORD>(::GetWindowTextLengthW(box)); }

}  // namespace

bool PageToBox::Refuses(int ch) const {
    return ch >= 0 && ch < 256 && !IsEditingKey(ch) && !IsCleanPageToChar(static_cast<char>(ch));
}

void PageToBox::Offer(const RecentNames& names) {
    DWORD start = 0, end = 0;
    ::SendMessageW(box_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const DWORD length = TextLength(box_);
    if (start != end || end != length) return;  // typed in the middle: nothing to complete
    const std::string typed = Text();
    const std::optional<std::string> name = names.Complete(typed);
    if (!name) return;
    const std::wstring rest = win::ToWide(std::string_view(*name).substr(typed.size()));
    ::SendMessageW(box_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(rest.c_str()));
    ::SendMessageW(box_, EM_SETSEL, length, static_cast<LPARAM>(TextLength(box_)));
}

void PageToBox::OnChange() {
    // In the box's own characters: positions are UTF-16 units, and a write
    // back through the code page would turn characters outside it into "?".
    const std::wstring text = win::WindowTextWide(box_);
    if (std::none_of(text.begin(), text.end(), Refused)) return;
    DWORD start = 0, end = 0;
    ::SendMessageW(box_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    auto kept = [&](DWORD pos) {
        const auto stop = text.begin() + std::min<std::size_t>(pos, text.size());
        return static_cast<WPARAM>(std::count_if(text.begin(), stop, [](wchar_t c) { return !Refused(c); }));
    };
    const WPARAM newStart = kept(start), newEnd = kept(end);
    std::wstring clean = text;
    std::erase_if(clean, Refused);
    ::SetWindowTextW(box_, clean.c_str());
    ::SendMessageW(box_, EM_SETSEL, newStart, static_cast<LPARAM>(newEnd));
}

std::string PageToBox::Text() const { return win::ToAnsi(win::WindowTextWide(box_)); }

void PageToBox::SetText(std::string_view target) {
    ::SetWindowTextW(box_, win::ToWide(target).c_str());
    const DWORD n = TextLength(box_);
    ::SendMessageW(box_, EM_SETSEL, n, static_cast<LPARAM>(n));
}

}  // namespace vek

#include "compose/pagetobox.h"

#include <algorithm>

#include "core/message.h"
#include "win/text.h"

namespace vek {

namespace {

bool Refused(wchar_t c) { return c < 128 && !IsPageToChar(static_cast<char>(c)); }

}  // namespace

bool PageToBox::Refuses(int ch) const {
    return ch >= 0 && ch < 256 && !IsPageToChar(static_cast<char>(ch));
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

}  // namespace vek

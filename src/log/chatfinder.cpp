#include "log/chatfinder.h"

#include <dlgs.h>
#include <richedit.h>

#include <algorithm>
#include <string>

#include "core/session_find.h"
#include "win/richedit.h"
#include "win/window.h"

namespace vek {

using namespace win;

void ChatFinder::Attach(HWND owner, HWND box, ChatDisplay& display, const SessionLines& session) {
    box_ = box;
    display_ = &display;
    session_ = &session;
    message_ = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    params_.lStructSize = sizeof params_;
    params_.hwndOwner = owner;
    params_.Flags = 0;  // Up: towards older lines, where a reader looks
    params_.lpstrFindWhat = what_.data();
    params_.wFindWhatLen = static_cast<WORD>(what_.size() * sizeof(wchar_t));
}

void ChatFinder::OpenDialog() {
    const std::wstring selected = GetSelTextWide(box_);
    const std::u16string seed = FindSeed(std::u16string(selected.begin(), selected.end()));
    if (!seed.empty()) {
        std::fill(what_.begin(), what_.end(), L'\0');
        std::copy(seed.begin(), seed.end(), what_.begin());
    }
    if (dialog_) {
        if (!seed.empty()) ::SetDlgItemTextW(dialog_, edt1, what_.data());
        ::SetActiveWindow(dialog_);
        return;
    }
    dialog_ = ::FindTextW(&params_);
    if (!dialog_) {
        ReportFailure(L"VekChat: the Find dialog could not be opened");
    }
}

bool ChatFinder::PreTranslate(MSG& msg) {
    return dialog_ && ::IsDialogMessageW(dialog_, &msg);
}

bool ChatFinder::OnDialogMessage(LPARAM lp) {
    const auto* fr = reinterpret_cast<const FINDREPLACEW*>(lp);
    if (fr->Flags & FR_DIALOGTERM) {
        dialog_ = nullptr;
        return false;
    }
    if (!(fr->Flags & FR_FINDNEXT)) return false;
    searched_ = true;
    return true;
}

ChatFinder::Result ChatFinder::FindNext(bool reverse) {
    const std::u16string what(what_.data(), what_.data() + std::char_traits<wchar_t>::length(what_.data()));
    if (what.empty()) return Result::NoText;
    FindOptions options;
    options.down = ((params_.Flags & FR_DOWN) != 0) != reverse;
    options.matchCase = (params_.Flags & FR_MATCHCASE) != 0;
    options.wholeWord = (params_.Flags & FR_WHOLEWORD) != 0;
    const std::optional<SessionMatch> found =
        FindInSession(*session_, display_->Decoder(), what, display_->Selection(), options, display_->Shown());
    if (!found) return Result::NotFound;
    display_->Select(found->entry, found->range.start, found->range.end);
    // Shown while the focus is elsewhere (in the dialog, the composer).
    ::SendMessageW(box_, EM_HIDESELECTION, FALSE, 0);
    return Result::Found;
}

}  // namespace vek

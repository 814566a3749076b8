#include "win/richedit.h"

#include <richedit.h>

#include "win/text.h"

namespace vek::win {

const wchar_t* RichEditClass() {
    // Kept loaded for the life of the process: every RichEdit lives in it.
    static const HMODULE lib = ::LoadLibraryW(L"Msftedit.dll");
    (void)lib;
    return MSFTEDIT_CLASS;
}

int CharCount(HWND re) {
    GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT n = ::SendMessageW(re, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

Selection GetSel(HWND re) {
    CHARRANGE cr{};
    ::SendMessageW(re, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    return {static_cast<int>(cr.cpMin), static_cast<int>(cr.cpMax)};
}

void SetSel(HWND re, int start, int end) {
    CHARRANGE cr{start, end};
    ::SendMessageW(re, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

std::optional<Color> GetSelColor(HWND re) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR;
    ::SendMessageW(re, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    if (!(cf.dwMask & CFM_COLOR)) return std::nullopt;
    if (cf.dwEffects & CFE_AUTOCOLOR) return static_cast<Color>(::GetSysColor(COLOR_WINDOWTEXT));
    return static_cast<Color>(cf.crTextColor);
}

void SetSelColor(HWND re, Color c) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR;
    cf.dwEffects = 0;
    cf.crTextColor = static_cast<COLORREF>(c);
    ::SendMessageW(re, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

bool ShowsEnd(HWND re) {
    POINTL end{};
    ::SendMessageW(re, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end), CharCount(re));
    RECT rc{};
    ::GetClientRect(re, &rc);
    return end.y < rc.bottom;
}

void ScrollToEnd(HWND re) { ::SendMessageW(re, WM_VSCROLL, SB_BOTTOM, 0); }

namespace {
// Text of the whole box or of its selection, as the control holds it.
std::wstring TextWide(HWND re, int length, DWORD flags) {
    std::wstring buf(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    gt.flags = flags;
    gt.codepage = 1200;
    LRESULT got = ::SendMessageW(re, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                 reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return buf;
}
}  // namespace

std::wstring GetAllTextWide(HWND re) { return TextWide(re, CharCount(re), GT_DEFAULT); }

std::wstring GetSelTextWide(HWND re) {
    const Selection s = GetSel(re);
    if (s.length() <= 0) return {};
    return TextWide(re, s.length() * 2, GT_SELECTION | GT_USECRLF);  // a break may grow from CR to CR LF
}

void ReplaceSel(HWND re, std::string_view text, bool canUndo) {
    std::wstring w = ToWide(text);
    ::SendMessageW(re, EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(w.c_str()));
}

namespace {
// Called by the control with each piece of the RTF; nothing may be thrown
// through it.
DWORD CALLBACK AppendStreamed(DWORD_PTR cookie, LPBYTE bytes, LONG n, LONG* done) noexcept {
    try {
        reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    } catch (...) {
        return 1;  // stops the stream
    }
    *done = n;
    return 0;
}
}  // namespace

std::string GetRtf(HWND re) {
    std::string out;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&out);
    es.pfnCallback = &AppendStreamed;
    ::SendMessageW(re, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return out;
}

void SetRtf(HWND re, std::string_view rtf, bool selection) {
    SETTEXTEX st{static_cast<DWORD>(selection ? ST_SELECTION : ST_DEFAULT), CP_ACP};
    ::SendMessageW(re, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf.data()));
}

}  // namespace vek::win

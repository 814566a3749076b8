#include "support/typing.h"

namespace vektest {

void DispatchPending(frmChat& form) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (form.PreTranslateMessage(msg)) continue;
        ::DispatchMessageW(&msg);
    }
}

void TypeKeys(frmChat& form, HWND target, std::string_view text, bool burst) {
    for (char c : text) {
        wchar_t wc = 0;
        ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wc, 1);
        const WPARAM vk = LOBYTE(::VkKeyScanW(wc));
        const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) << 16;
        ::PostMessageW(target, WM_KEYDOWN, vk, scan | 1);
        ::PostMessageW(target, WM_CHAR, wc, scan | 1);
        ::PostMessageW(target, WM_KEYUP, vk, scan | 0xC0000001);
        if (!burst) DispatchPending(form);
    }
    DispatchPending(form);
}

}  // namespace vektest

// ctest-lock: registry
// The window where the player left it: its place saved at unload and put
// back at the next start, when it can still be seen.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/winapp.h"

using namespace vektest;

namespace {

RECT NormalRect(HWND w) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(w, &wp);
    return wp.rcNormalPosition;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A normal rectangle as the setting holds it, at 96 DPI and not maximised.
std::string Stored(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
           std::to_string(r.bottom - r.top) + ",0,96";
}

std::unique_ptr<frmChat> StartWith(const char* placement) {
    ClearSettings();
    PutSetting("Run Before", "True");
    if (placement) PutSetting("Window Placement", placement);
    return MakeForm();
}

TEST(Placement, TheStoredPlaceComesBackWhenItCanBeSeenAndUnloadSavesIt) {
    const struct {
        const char* stored;
        RECT expected;  // {} for the creation place and size
        bool maximised;
        const char* saved;  // nullptr: the creation place
    } cases[] = {
        {"5000,80,500,400,0,96", {}, false, nullptr},  // on a monitor that is gone
        {"100,80,500", {}, false, nullptr},            // damaged
        {"100,80,1000,800,0,192", {100, 80, 600, 480}, false, "100,80,500,400,0,96"},  // taken at twice this DPI
        {"60,40,500,400,1,96", {60, 40, 560, 440}, true, "60,40,500,400,1,96"},  // maximised over that place
    };
    RECT created{};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        auto f = StartWith(c.stored);
        ASSERT_TRUE(f);
        if (!created.right) created = NormalRect(f->hWnd());
        EXPECT_TRUE(Same(NormalRect(f->hWnd()), c.expected.right ? c.expected : created));
        EXPECT_EQ(IsZoomed(f->hWnd()) != FALSE, c.maximised);
        EXPECT_TRUE(IsWindowVisible(f->hWnd()));
        Command(*f, IDM_FILE_EXIT);
        ASSERT_FALSE(f->IsAlive());
        const std::string saved = ReadSetting("Window Placement");
        EXPECT_EQ(saved, c.saved ? c.saved : Stored(created));
    }
    ClearSettings();
}

}  // namespace

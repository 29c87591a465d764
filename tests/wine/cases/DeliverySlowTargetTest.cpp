// A target that is slow with a character but not hung gets the whole reply, and Velmora
// answers its own messages meanwhile.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;

TEST(DeliverySlowTarget, ReceivesEveryByteWhileVelmoraStaysResponsive)
{
    Installation app({"ab你好cd"});
    Velmora velmora(app.folder);
    HWND main = velmora.waitForMainWindow();
    ASSERT_TRUE(main);
    wt::TargetProcess target(false, 1500); // 1.5 s on the first character: busy, not hung
    vt::PlaceTarget(target);
    ASSERT_TRUE(vt::PressHotKeyOver(target));
    ASSERT_TRUE(wt::WaitUntil([&] { return wt::IsShown(main); }, 3000));
    const RECT row = velmora.rowRect(0);
    wt::DoubleClick({row.left + 120, (row.top + row.bottom) / 2});

    // While the target is busy with the first character, Velmora still paints: a black
    // smear over its title band is painted over again at once.
    ASSERT_TRUE(target.waitForChars(1, 5000));
    const POINT band = velmora.screenPoint(3, 20);
    const COLORREF before = wt::ScreenPixel(band.x, band.y);
    HDC screen = GetDC(nullptr);
    const RECT smear = {band.x, band.y, band.x + 40, band.y + 5};
    FillRect(screen, &smear, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(nullptr, screen);
    InvalidateRect(main, nullptr, FALSE);
    EXPECT_TRUE(wt::WaitUntil([&] { return wt::ScreenPixel(band.x, band.y) == before; }, 700)) << "Velmora hangs";
    EXPECT_LT(target.recordedChars().size(), 6u) << "the target was not busy during the check";

    // Eight messages: a, b, two bytes each for 你 and 好, c, d.
    EXPECT_TRUE(target.waitForChars(8, 10000));
    EXPECT_EQ(target.editText(), "ab你好cd");
    EXPECT_TRUE(wt::WaitForWindowGone(main, 5000));
}

#include "templates/infoDialog.h"

#include "ui/Gdi.h"
#include "ui/ModalWindow.h"
#include "ui/Pictures.h"
#include "ui/SkinnedFrame.h"

namespace {
const int kWidth = 330;
const int kHeight = 83;
} // namespace

void TinfoFrm::Show(HWND owner, HWND centreOver)
{
    const POINT at = CentredOver(centreOver, kWidth, kHeight);
    if (!CreateWindowOf(L"TinfoFrm", WS_EX_TOOLWINDOW, WS_POPUP, L"", at.x, at.y, kWidth, kHeight, owner))
        return; // the notice is a courtesy: the order is stored without it
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd());
}

LRESULT TinfoFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT painted = 0;
    if (HandlePaintMessages(hwnd(), msg, wParam, painted, [this](HDC dc) { PaintContent(dc); }))
        return painted;
    switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefaultHandling(msg, wParam, lParam);
    }
}

void TinfoFrm::PaintContent(HDC dc)
{
    // A rectangle filling the window: white inside a 1-pixel black frame.
    RECT all = {0, 0, kWidth, kHeight};
    FillSolid(dc, all, RGB(0, 0, 0));
    InflateRect(&all, -1, -1);
    FillSolid(dc, all, RGB(255, 255, 255));
    DrawSavingPicture(dc, 27, 21);
    const Font font = MakeSkinFont(12);
    PaintSkinText(dc, font.get(), RGB(0, 0, 0), 78, 35, L"请稍后，系统正在保存数据......");
}

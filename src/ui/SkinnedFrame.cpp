#include "ui/SkinnedFrame.h"

Font MakeSkinFont(int pixelHeight, bool bold) { return MakeFont(L"宋体", pixelHeight, bold); }

void PaintSkinText(HDC dc, HFONT font, COLORREF colour, int x, int y, const std::wstring& text)
{
    SelectGuard select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void PaintSkinPanel(HDC dc, const RECT& panel, const SkinLook& look)
{
    FillSolid(dc, panel, look.outside);
    {
        Brush white(CreateSolidBrush(RGB(255, 255, 255)));
        Pen border(CreatePen(PS_SOLID, 1, look.border));
        SelectGuard brushGuard(dc, white.get());
        SelectGuard penGuard(dc, border.get());
        RoundRect(dc, panel.left, panel.top, panel.right, panel.bottom, look.cornerDiameter, look.cornerDiameter);
    }
    if (!look.clipToPanelInside)
        return;
    // The bands' corners would otherwise paint over the border's curve.
    Region inside(CreateRoundRectRgn(panel.left + 1, panel.top + 1, panel.right - 1, panel.bottom - 1,
                                     look.cornerDiameter - 2, look.cornerDiameter - 2));
    SelectClipRgn(dc, inside.get());
}

void SetSkinRegion(HWND window, const RECT& panel, POINT offset, int cornerDiameter)
{
    // One pixel more each way: a region leaves out its right and bottom edges.
    SetWindowRgn(window,
                 CreateRoundRectRgn(offset.x + panel.left, offset.y + panel.top, offset.x + panel.right + 1,
                                    offset.y + panel.bottom + 1, cornerDiameter, cornerDiameter),
                 FALSE);
}

void DragWindowByCaption(HWND window)
{
    ReleaseCapture();
    SendMessageW(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

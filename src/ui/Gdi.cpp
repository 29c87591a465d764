#include "ui/Gdi.h"

#include "common/Colour.h"

Font MakeFont(const wchar_t* face, int pixelHeight, bool bold, bool underline)
{
    return Font(CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            face));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

void PaintGradient(HDC dc, const RECT& rect, COLORREF start)
{
    const int width = rect.right - rect.left;
    for (int x = 0; x < width; ++x) {
        // Column x of width-1 steps: exactly `start` at the left edge and white at the right.
        const int step = width > 1 ? x * 255 / (width - 1) : 0;
        auto mix = [step](int from) { return from + (255 - from) * step / 255; };
        const RECT column = {rect.left + x, rect.top, rect.left + x + 1, rect.bottom};
        FillSolid(dc, column, RGB(mix(GetRValue(start)), mix(GetGValue(start)), mix(GetBValue(start))));
    }
}

void PaintBevel(HDC dc, const RECT& rect)
{
    const int middle = rect.top + (rect.bottom - rect.top) / 2;
    FillSolid(dc, {rect.left, rect.top, rect.right, middle}, GetSysColor(COLOR_BTNSHADOW));
    FillSolid(dc, {rect.left, middle, rect.right, rect.bottom}, GetSysColor(COLOR_BTNHIGHLIGHT));
}

COLORREF StoredColour(int stored)
{
    return PaintedColour(stored, [](int index) { return GetSysColor(index); });
}

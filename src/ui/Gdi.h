#pragma once
// Owners for GDI objects and icons, and guards for device contexts.
#include "common/UniqueResource.h"

#include <windows.h>

struct DeleteGdiObject {
    template <typename Handle>
    void operator()(Handle handle) const
    {
        DeleteObject(handle);
    }
};

struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

template <typename Handle>
using GdiObject = UniqueResource<Handle, DeleteGdiObject>;

using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;
using Icon = UniqueResource<HICON, DestroyIconHandle>;

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() { SelectObject(dc_, previous_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class PaintGuard {
public:
    explicit PaintGuard(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintGuard() { EndPaint(hwnd_, &ps_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC dc_;
};

// The paint messages of a window that paints its whole client area through `paint(HDC)`:
// the background is never erased, and WM_PAINT and WM_PRINTCLIENT both paint. True when
// `msg` was one of them, with its result in `result`.
template <typename Paint>
bool HandlePaintMessages(HWND window, UINT msg, WPARAM wParam, LRESULT& result, Paint paint)
{
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: {
        PaintGuard guard(window);
        paint(guard.dc());
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    default: return false;
    }
}

class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() { ReleaseDC(hwnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A font of the given pixel height (character height, so negative in LOGFONT terms).
Font MakeFont(const wchar_t* face, int pixelHeight, bool bold = false, bool underline = false);

// The gradient of the bands: `start` at the left edge to white at the right edge.
void PaintGradient(HDC dc, const RECT& rect, COLORREF start);
// A lowered separator: a shadow line above a highlight line.
void PaintBevel(HDC dc, const RECT& rect);
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

// The colour a stored colour value paints (system colour references resolved).
COLORREF StoredColour(int stored);

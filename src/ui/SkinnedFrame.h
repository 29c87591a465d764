#pragma once
// The skin of the program's borderless windows (the main window, the template manager):
// a white panel with rounded corners and a grey border filling the client area, gradient
// bands with a bold white title, labels and 17 x 17 pictures painted from the window's
// layout, hints on the controls that have one, the hand over icons, clicks matched from
// press to release, and the window moved by dragging a band or the title. A window owns
// one SkinnedFrame and keeps only what is its own; it hands its messages to it.
#include "ui/Gdi.h"
#include "ui/Hints.h"
#include "ui/Layout.h"
#include "ui/Pictures.h"
#include "ui/WinText.h"

#include <optional>
#include <string>

struct SkinLook {
    int fontHeight;         // 宋体, for the labels and the window's controls
    int titleFontHeight;    // the title, bold
    COLORREF outside;       // around the panel's rounded corners
    COLORREF border;        // the panel's border
    int cornerDiameter;     // of the panel and of the window's region
    bool clipToPanelInside; // bands and pictures stop inside the border's curve
    int frame;              // the window's own frame around the client area, outside the region
};

// The skin's face, "宋体", at a pixel height; the saving notice uses it too.
Font MakeSkinFont(int pixelHeight, bool bold = false);
// Text at (x, y) in `font` and `colour` over what is painted below.
void PaintSkinText(HDC dc, HFONT font, COLORREF colour, int x, int y, const std::wstring& text);
// The white panel with its grey rounded border filling `panel`, `outside` around its
// corners; with clipping, the DC is clipped to the inside of the border afterwards.
void PaintSkinPanel(HDC dc, const RECT& panel, const SkinLook& look);
// The window's region: the panel's rounded rectangle, the panel lying at `offset` in the window.
void SetSkinRegion(HWND window, const RECT& panel, POINT offset, int cornerDiameter);
// The system moves the window with the pointer while the left button stays down.
void DragWindowByCaption(HWND window);
// WM_SETCURSOR for the window's own client area: the hand where `hand(clientPoint)` says
// so. True when the hand was set.
template <typename HandAt>
bool SetSkinCursor(HWND window, WPARAM wParam, LPARAM lParam, HandAt hand)
{
    if (reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT)
        return false;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    if (!hand(p))
        return false;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
    return true;
}

template <typename Id>
class SkinnedFrame {
public:
    // `panel`: the layout's panel that fills the client area.
    SkinnedFrame(const Layout<Id>& layout, Id panel, const SkinLook& look) : layout_(layout), panel_(panel), look_(look)
    {
    }

    // After the window exists, before its controls: the window's region (the corners
    // outside the panel's rounded border are no part of it), the fonts, and the hints of
    // the layout's controls added to the window's `hints` (which its other controls share).
    void create(HWND window, Hints& hints)
    {
        window_ = window;
        SetSkinRegion(window, control(panel_).rect(), {look_.frame, look_.frame}, look_.cornerDiameter);
        font_ = MakeSkinFont(look_.fontHeight);
        titleFont_ = MakeSkinFont(look_.titleFontHeight, true);
        hints.create(window);
        for (const ControlLayout<Id>& control : layout_)
            if (*control.hint)
                hints.addArea(control.rect(), control.hint);
    }

    const ControlLayout<Id>& control(Id id) const { return ControlOf(layout_, id); }
    HFONT font() const { return font_.get(); }

    // The panel, then the bands, bevels, labels, the title and the pictures in the
    // layout's order.
    void paint(HDC dc, COLORREF bandColour) const
    {
        PaintSkinPanel(dc, control(panel_).rect(), look_);
        SetBkMode(dc, TRANSPARENT);
        for (const ControlLayout<Id>& control : layout_) {
            switch (control.kind) {
            case ControlKind::GradientBand: PaintGradient(dc, control.rect(), bandColour); break;
            case ControlKind::Bevel: PaintBevel(dc, control.rect()); break;
            case ControlKind::Label:
            case ControlKind::Title: paintLabel(dc, control); break;
            case ControlKind::Picture:
                if (control.picture)
                    DrawPicture(dc, *control.picture, control.left, control.top);
                break;
            default: break; // child windows paint themselves
            }
        }
        SelectClipRgn(dc, nullptr);
    }

    // The topmost control at a client point (pictures and the title lie on the bands);
    // the panel counts as none.
    std::optional<Id> controlAt(POINT p) const
    {
        std::optional<Id> found;
        for (const ControlLayout<Id>& control : layout_)
            if (control.contains(p) && control.kind != ControlKind::Panel)
                found = control.id;
        return found;
    }
    bool handCursorOver(std::optional<Id> id) const
    {
        const ControlLayout<Id>* control = id ? FindControl(layout_, *id) : nullptr;
        return control && control->handCursor;
    }
    bool setCursor(WPARAM wParam, LPARAM lParam) const
    {
        return SetSkinCursor(window_, wParam, lParam, [this](POINT p) { return handCursorOver(controlAt(p)); });
    }

    // The left button went down on `id`: a band or the title moves the window and
    // leaves nothing pressed; any other control stays pressed until the button comes up.
    void press(std::optional<Id> id)
    {
        pressed_.reset();
        const ControlLayout<Id>* control = id ? FindControl(layout_, *id) : nullptr;
        if (control && (control->kind == ControlKind::GradientBand || control->kind == ControlKind::Title)) {
            DragWindowByCaption(window_);
            return;
        }
        pressed_ = id;
    }
    void cancelPress() { pressed_.reset(); }
    std::optional<Id> pressed() const { return pressed_; }
    // The button came up over `id`: the control clicked, when it is the one pressed.
    std::optional<Id> release(std::optional<Id> id)
    {
        const std::optional<Id> pressed = pressed_;
        pressed_.reset();
        if (id && pressed == id)
            return id;
        return std::nullopt;
    }

private:
    void paintLabel(HDC dc, const ControlLayout<Id>& control) const
    {
        const bool title = control.kind == ControlKind::Title;
        PaintSkinText(dc, title ? titleFont_.get() : font_.get(), title ? RGB(255, 255, 255) : RGB(0, 0, 0),
                      control.left, control.top, Widen(control.text));
    }

    const Layout<Id>& layout_;
    const Id panel_;
    const SkinLook look_;
    HWND window_ = nullptr;
    Font font_;
    Font titleFont_;
    std::optional<Id> pressed_;
};

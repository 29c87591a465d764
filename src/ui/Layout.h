#pragma once
// Window layouts as data: each control of a window with its kind, place and texts,
// so a window's code can be read against its table.
#include <windows.h>

#include <string>
#include <vector>

enum class ControlKind {
    Panel,        // a painted area
    GradientBand, // start colour at the left edge to white at the right
    Picture,      // a 17 x 17 picture
    Label,        // painted text
    Bevel,        // a lowered separator line
    Edit,         // a single-line text box (a child window)
    List,         // the owner-drawn list (a child window)
    GroupBox,     // a framed group with its caption
    ComboBox,     // a drop-down with an edit part
    CheckBox,     // a tick box with its caption
    Button,       // a push button
    ColourPanel,  // a flat rectangle filled with a colour, clicked to pick another
    Image,        // a picture from the program's resources
};

struct ControlLayout {
    const char* name;
    ControlKind kind;
    int left, top, width, height; // in the window's client area
    const char* text;             // UTF-8; caption or empty
    const char* hint;             // UTF-8; empty for none
    bool handCursor;

    RECT rect() const { return {left, top, left + width, top + height}; }
    bool contains(POINT p) const { return p.x >= left && p.x < left + width && p.y >= top && p.y < top + height; }
};

using Layout = std::vector<ControlLayout>;

// The control of that name; throws std::logic_error when the layout has none.
const ControlLayout& ControlNamed(const Layout& layout, const std::string& name);

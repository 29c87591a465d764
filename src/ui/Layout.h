#pragma once
// Window layouts as data: each control of a window with its kind, place and texts,
// so a window's code can be read against its table. Each window names its controls
// with its own enum class (the form's names), and its handlers switch on that id.
#include "ui/Pictures.h"

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <vector>

enum class ControlKind {
    Panel,        // a painted area
    GradientBand, // start colour at the left edge to white at the right
    Picture,      // a 17 x 17 picture
    Label,        // painted text
    Title,        // painted text in bold white on a band; dragging it moves the window
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

template <typename Id>
struct ControlLayout {
    Id id;
    ControlKind kind;
    int left, top, width, height; // in the window's client area
    const char* text;             // UTF-8; caption or empty
    const char* hint;             // UTF-8; empty for none
    bool handCursor;
    std::optional<Picture> picture = std::nullopt; // of a Picture control

    RECT rect() const { return {left, top, left + width, top + height}; }
    bool contains(POINT p) const { return p.x >= left && p.x < left + width && p.y >= top && p.y < top + height; }
};

template <typename Id>
using Layout = std::vector<ControlLayout<Id>>;

// The control with that id, or nullptr when the layout has none.
template <typename Id>
const ControlLayout<Id>* FindControl(const Layout<Id>& layout, Id id)
{
    for (const ControlLayout<Id>& control : layout)
        if (control.id == id)
            return &control;
    return nullptr;
}

// The control with that id; throws std::logic_error when the layout has none.
template <typename Id>
const ControlLayout<Id>& ControlOf(const Layout<Id>& layout, Id id)
{
    if (const ControlLayout<Id>* control = FindControl(layout, id))
        return *control;
    throw std::logic_error("a window's layout lacks one of its controls");
}

#pragma once
// The template manager's window: borderless, a 419 x 451 client area that RzPanel1 fills.
#include "ui/Layout.h"
#include "ui/Pictures.h"

const Layout& MbLayout();

// The tool bar's buttons, left to right, each with its picture left of its caption.
struct ToolButtonLayout {
    const char* name;
    int left, width; // in the client area; all share the tool bar's top and height
    const char* caption;
    Picture picture;
};
const std::vector<ToolButtonLayout>& MbToolButtons();
// Grooved separators between button groups (their left edges).
const std::vector<int>& MbToolGrooves();

namespace MbLook {
const int kClientWidth = 419;
const int kClientHeight = 451;
const int kCornerDiameter = 10;
const int kFontHeight = 12; // "宋体" at 9 points
const int kTitleFontHeight = 16;
const COLORREF kHeaderColour = RGB(85, 170, 255); // 0xFFAA55, to white at the right edge
const COLORREF kPanelBorder = RGB(128, 128, 128);
const int kToolTop = 403;
const int kToolHeight = 25;
const int kRowHeight = 20;
const int kShownCharacters = 25;
} // namespace MbLook

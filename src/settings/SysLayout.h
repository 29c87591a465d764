#pragma once
// The settings dialog: a fixed dialog frame around a 328 x 464 client area. Places are
// in the client area; the controls of a group are given here already moved by the
// group's place (the first group lies at 8, 8, the second at 8, 127).
#include "ui/Layout.h"

const Layout& SysLayout();

namespace SysLook {
const int kClientWidth = 328;
const int kClientHeight = 464;
const int kFontHeight = 12;
const int kDropDownHeight = 220; // the drop-down's list when open
} // namespace SysLook

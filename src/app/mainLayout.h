#pragma once
#include "ui/SkinnedFrame.h"

// The main window: a 2-pixel see-through frame around a 270 x 370 client area that
// RzPanel1 fills. Places are in the client area, which is RzPanel1's.
enum class MainControl {
    RzPanel1,      // the rounded white panel
    RzBackground2, // the title band
    Image2,        // the logo
    Label1,        // the title
    Image1,        // 最小化
    Image3,        // 关闭系统
    Bevel1,
    Panel1, // the search row
    Label2, // 搜索
    Edit1,  // the search text
    Image5, // 搜索
    Image6, // 显示所有
    Bevel2,
    ListBox1,
    Bevel3,
    RzBackground1, // the bottom band
    Image4,        // 系统菜单
};

const Layout<MainControl>& MainLayout();

namespace MainLook {
const COLORREF kKeyColour = RGB(255, 0, 255);     // clFuchsia, the window colour: outside the region
const COLORREF kPanelBorder = RGB(128, 128, 128); // clGray
const COLORREF kLayoutTitleColour = RGB(0, 128, 255);
const int kFrame = 2;
const int kClientWidth = 270;
const int kClientHeight = 370;
const int kCornerDiameter = 10;
const int kFontHeight = 12;
// The title is bold at the labels' height; the bands stop inside the border's curve.
const SkinLook kSkin = {kFontHeight, kFontHeight, kKeyColour, kPanelBorder, kCornerDiameter, true, kFrame};
} // namespace MainLook

#include "ui/SkinMenu.h"

// Commands of the two pop-up menus.
enum MainCommand : UINT {
    cmdN15 = 1015, // 显示界面
    cmdN1 = 1001,  // 系统设置
    cmdN3 = 1003,  // 模板管理
    cmdN5 = 1005,  // 系统帮助
    cmdN7 = 1007,  // 关于系统
    cmdN9 = 1009,  // 退出系统
    cmdN10 = 1010, // 系统设置
    cmdN12 = 1012, // 模板管理
    cmdN14 = 1014, // 数据还原
    cmdN18 = 1018, // 关于系统
    cmdN23 = 1023, // 系统帮助
    // 开机时自动启动 Velmora, ticked while the Run entry starts this program.
    cmdAutoStart = 1030,
    cmdN30 = 1031, // 团队模板库…
};

const std::vector<MenuItemLayout>& TrayMenuLayout();   // PopupMenu1
const std::vector<MenuItemLayout>& SystemMenuLayout(); // PopupMenu2

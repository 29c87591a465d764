#pragma once
// The template manager's window: borderless, a 419 x 451 client area that RzPanel1 fills.
#include "ui/Pictures.h"
#include "ui/SkinnedFrame.h"

enum class MbControl {
    RzPanel1,      // the rounded white panel
    RzBackground1, // the title band
    Label1,        // the title 模板管理
    Image3,        // 关闭系统
    Label2,        // 搜索
    Edit1,         // the search text
    Image5,        // 搜索
    ListBox1,
    Label3, // 新增/修改模板内容:
    Memo1,
    RzToolbar1,
    // The tool bar's buttons.
    BtnRefresh, // 刷新
    BtnNew,     // 添加
    BtnEdit,    // 修改
    BtnCancel,  // 删除
    BtnOK,      // 完成操作
};

const Layout<MbControl>& MbLayout();

// The tool bar's buttons, left to right, each with its picture left of its caption.
struct ToolButtonLayout {
    MbControl id;
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
// White all round: the corners lie outside the window's region.
const SkinLook kSkin = {kFontHeight, kTitleFontHeight, RGB(255, 255, 255), kPanelBorder, kCornerDiameter, false, 0};
} // namespace MbLook

#pragma once
// The settings dialog: a fixed dialog frame around a 328 x 464 client area. Places are
// in the client area; the controls of a group are given here already moved by the
// group's place (the first group lies at 8, 8, the second at 8, 127).
#include "ui/Layout.h"

// In the layout's order: a control's dialog id follows from its place.
enum class SysControl {
    GroupBox1,
    Label1,
    Label2,
    ComboBox1, // the hotkey letter
    ComboBox2, // the backup period
    CheckBox1, // 自动备份数据库
    CheckBox2, // 退出时自动提示备份数据库
    GroupBox2,
    Image1, // the illustration
    Label3,
    Panel1, // 标题颜色
    Label4,
    Panel2, // 背景颜色
    Label5,
    Panel3, // 隔行颜色
    Label6,
    Bevel1,
    Label7,
    Panel4, // 选择行边框颜色
    Label8,
    Panel5,  // 选择行背景颜色
    BitBtn1, // 保存设置
    BitBtn2, // 恢复默认
};

const Layout<SysControl>& SysLayout();

namespace SysLook {
const int kClientWidth = 328;
const int kClientHeight = 464;
const int kFontHeight = 12;
const int kDropDownHeight = 220; // the drop-down's list when open
} // namespace SysLook

#include "settings/SysLayout.h"

const Layout<SysControl>& SysLayout()
{
    using K = ControlKind;
    const int g1x = 8, g1y = 8;   // GroupBox1
    const int g2x = 8, g2y = 127; // GroupBox2
    // In tab order: the first group's four, the five panels, then the two buttons;
    // labels, groups and pictures take no focus.
    static const Layout<SysControl> layout = {
        {SysControl::GroupBox1, K::GroupBox, 8, 8, 312, 105, "系统基本设置", "", false},
        {SysControl::Label1, K::Label, g1x + 16, g1y + 24, 96, 12, "字符选择快捷键:", "", false},
        {SysControl::Label2, K::Label, g1x + 112, g1y + 24, 36, 12, "Ctrl+", "", false},
        {SysControl::ComboBox1, K::ComboBox, g1x + 154, g1y + 21, 57, 20, "", "", false},
        {SysControl::ComboBox2, K::ComboBox, g1x + 154, g1y + 47, 57, 20, "", "", false},
        {SysControl::CheckBox1, K::CheckBox, g1x + 17, g1y + 51, 125, 17, "自动备份数据库:", "", false},
        {SysControl::CheckBox2, K::CheckBox, g1x + 17, g1y + 74, 194, 17, "退出时自动提示备份数据库", "", false},
        {SysControl::GroupBox2, K::GroupBox, 8, 127, 312, 290, "颜色设置", "", false},
        {SysControl::Image1, K::Image, g2x + 16, g2y + 18, 273, 142, "", "", false},
        {SysControl::Label3, K::Label, g2x + 15, g2y + 173, 48, 12, "标题颜色", "", false},
        {SysControl::Panel1, K::ColourPanel, g2x + 69, g2y + 171, 73, 17, "", "", true},
        {SysControl::Label4, K::Label, g2x + 163, g2y + 173, 48, 12, "背景颜色", "", false},
        {SysControl::Panel2, K::ColourPanel, g2x + 217, g2y + 171, 70, 17, "", "", true},
        {SysControl::Label5, K::Label, g2x + 15, g2y + 198, 48, 12, "隔行颜色", "", false},
        {SysControl::Panel3, K::ColourPanel, g2x + 69, g2y + 196, 73, 17, "", "", true},
        {SysControl::Label6, K::Label, g2x + 15, g2y + 236, 60, 12, "选择行颜色", "", false},
        {SysControl::Bevel1, K::Bevel, g2x + 80, g2y + 223, 207, 49, "", "", false},
        {SysControl::Label7, K::Label, g2x + 89, g2y + 231, 48, 12, "边框颜色", "", false},
        {SysControl::Panel4, K::ColourPanel, g2x + 148, g2y + 227, 75, 17, "", "", true},
        {SysControl::Label8, K::Label, g2x + 88, g2y + 252, 48, 12, "背景颜色", "", false},
        {SysControl::Panel5, K::ColourPanel, g2x + 147, g2y + 249, 76, 17, "", "", true},
        {SysControl::BitBtn1, K::Button, 245, 431, 75, 25, "保存设置", "", true},
        {SysControl::BitBtn2, K::Button, 151, 431, 75, 25, "恢复默认", "", true},
    };
    return layout;
}

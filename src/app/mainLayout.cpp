#include "app/mainLayout.h"

const Layout<MainControl>& MainLayout()
{
    using K = ControlKind;
    // Panel1's controls sit at (7, 11), (40, 6), (202, 7) and (225, 8) in the search
    // row, which starts at (2, 36).
    static const Layout<MainControl> layout = {
        {MainControl::RzPanel1, K::Panel, 0, 0, 270, 370, "", "", false},
        {MainControl::RzBackground2, K::GradientBand, 2, 2, 266, 32, "", "", false},
        {MainControl::Image2, K::Picture, 9, 8, 17, 17, "", "Velmora:一键输入常用回复,让每一次答复又快又准", false,
         Picture::Logo},
        {MainControl::Label1, K::Title, 31, 11, 80, 12, "Velmora 1.0", "", false},
        {MainControl::Image1, K::Picture, 218, 7, 17, 17, "", "最小化", true, Picture::Minimise},
        {MainControl::Image3, K::Picture, 242, 7, 17, 17, "", "关闭系统", true, Picture::Close},
        {MainControl::Bevel1, K::Bevel, 2, 34, 266, 2, "", "", false},
        {MainControl::Panel1, K::Panel, 2, 36, 266, 31, "", "", false},
        {MainControl::Label2, K::Label, 2 + 7, 36 + 11, 24, 12, "搜索", "", false},
        {MainControl::Edit1, K::Edit, 2 + 40, 36 + 6, 153, 20, "", "", false},
        {MainControl::Image5, K::Picture, 2 + 202, 36 + 7, 17, 17, "", "搜索", true, Picture::Search},
        {MainControl::Image6, K::Picture, 2 + 225, 36 + 8, 17, 17, "", "显示所有", true, Picture::ShowAll},
        {MainControl::Bevel2, K::Bevel, 2, 67, 266, 2, "", "", false},
        {MainControl::ListBox1, K::List, 2, 69, 266, 265, "", "", false},
        {MainControl::Bevel3, K::Bevel, 2, 334, 266, 2, "", "", false},
        {MainControl::RzBackground1, K::GradientBand, 2, 336, 266, 32, "", "", false},
        {MainControl::Image4, K::Picture, 242, 343, 17, 17, "", "系统菜单", true, Picture::SystemMenu},
    };
    return layout;
}

namespace {
const MenuItemLayout kSeparator = {"", 0, "", {}};
}

const std::vector<MenuItemLayout>& TrayMenuLayout()
{
    static const std::vector<MenuItemLayout> items = {
        {"N15", cmdN15, "显示界面", {}},
        kSeparator,
        {"N1", cmdN1, "系统设置", {}},
        kSeparator,
        {"NAutoStart", cmdAutoStart, "开机时自动启动 Velmora", {}},
        kSeparator,
        {"N3", cmdN3, "模板管理", {}},
        kSeparator,
        {"N30", cmdN30, "团队模板库…", {}},
        kSeparator,
        {"N5", cmdN5, "系统帮助", {}},
        kSeparator,
        {"N7", cmdN7, "关于系统", {}},
        kSeparator,
        {"N9", cmdN9, "退出系统", {}},
    };
    return items;
}

const std::vector<MenuItemLayout>& SystemMenuLayout()
{
    static const std::vector<MenuItemLayout> items = {
        {"N10", cmdN10, "系统设置", {}},
        kSeparator,
        {"N12", cmdN12, "模板管理", {}},
        kSeparator,
        {"N14", cmdN14, "数据还原", {}},
        kSeparator,
        {"N20", 0, "系统帮助", {{"N18", cmdN18, "关于系统", {}}, kSeparator, {"N23", cmdN23, "系统帮助", {}}}},
    };
    return items;
}

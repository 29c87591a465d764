#include "templates/MbLayout.h"

const Layout<MbControl>& MbLayout()
{
    using K = ControlKind;
    static const Layout<MbControl> layout = {
        {MbControl::RzPanel1, K::Panel, 0, 0, 419, 451, "", "", false},
        {MbControl::RzBackground1, K::GradientBand, 2, 2, 415, 33, "", "", false},
        {MbControl::Label1, K::Title, 14, 10, 64, 16, "模板管理", "", false},
        {MbControl::Image3, K::Picture, 386, 9, 17, 17, "", "关闭系统", true, Picture::Close},
        {MbControl::Label2, K::Label, 7, 52, 24, 12, "搜索", "", false},
        {MbControl::Edit1, K::Edit, 40, 47, 153, 20, "", "", false},
        {MbControl::Image5, K::Picture, 202, 48, 17, 17, "", "搜索", true, Picture::Search},
        {MbControl::ListBox1, K::List, 9, 73, 395, 192, "", "", false},
        {MbControl::Label3, K::Label, 8, 271, 108, 12, "新增/修改模板内容:", "", false},
        {MbControl::Memo1, K::Edit, 8, 289, 395, 92, "", "", false},
        {MbControl::RzToolbar1, K::Panel, 51, 401, 353, 29, "", "", true},
    };
    return layout;
}

const std::vector<ToolButtonLayout>& MbToolButtons()
{
    static const std::vector<ToolButtonLayout> buttons = {
        {MbControl::BtnRefresh, 51, 60, "刷新", Picture::Refresh},
        {MbControl::BtnNew, 119, 60, "添加", Picture::Add},
        {MbControl::BtnEdit, 179, 60, "修改", Picture::Edit},
        {MbControl::BtnCancel, 239, 60, "删除", Picture::Delete},
        {MbControl::BtnOK, 307, 76, "完成操作", Picture::Done},
    };
    return buttons;
}

const std::vector<int>& MbToolGrooves()
{
    static const std::vector<int> grooves = {114, 302};
    return grooves;
}

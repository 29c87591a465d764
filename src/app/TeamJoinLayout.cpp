#include "app/TeamJoinLayout.h"

const Layout<TeamJoinControl>& TeamJoinLayout()
{
    using K = ControlKind;
    using C = TeamJoinControl;
    // Labels at the left, their fields beside them, a row every 28 pixels.
    static const Layout<TeamJoinControl> layout = {
        {C::Panel, K::Panel, 0, 0, 380, 360, "", "", false},
        {C::Band, K::GradientBand, 2, 2, 376, 33, "", "", false},
        {C::Title, K::Title, 14, 10, 120, 16, "团队模板库", "", false},
        {C::Close, K::Picture, 347, 9, 17, 17, "", "关闭", true, Picture::Close},
        {C::KindLabel, K::Label, 20, 54, 72, 12, "服务器类型", "", false},
        {C::Kind, K::ComboBox, 100, 50, 256, 20, "", "", false},
        {C::ServerLabel, K::Label, 20, 82, 72, 12, "服务器", "", false},
        {C::Server, K::Edit, 100, 78, 256, 20, "", "", false},
        {C::PortLabel, K::Label, 20, 110, 72, 12, "端口", "", false},
        {C::Port, K::Edit, 100, 106, 80, 20, "", "", false},
        {C::DatabaseLabel, K::Label, 20, 138, 72, 12, "数据库", "", false},
        {C::Database, K::Edit, 100, 134, 256, 20, "", "", false},
        {C::UserLabel, K::Label, 20, 166, 72, 12, "用户名", "", false},
        {C::User, K::Edit, 100, 162, 256, 20, "", "", false},
        {C::PasswordLabel, K::Label, 20, 194, 72, 12, "密码", "", false},
        {C::Password, K::Edit, 100, 190, 256, 20, "", "", false},
        {C::Test, K::Button, 100, 224, 80, 24, "测试连接", "", false},
        {C::Join, K::Button, 188, 224, 80, 24, "连接", "", false},
        {C::Leave, K::Button, 276, 224, 80, 24, "断开", "", false},
        {C::Line, K::Bevel, 12, 260, 356, 2, "", "", false},
        {C::State, K::Label, 20, 270, 340, 80, "", "", false},
    };
    return layout;
}

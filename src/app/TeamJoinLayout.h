#pragma once
// The join window "团队模板库": borderless in the template manager's look, its client area
// filled by the white panel. Each child control's id is 100 + its place in TeamJoinControl.
#include "ui/SkinnedFrame.h"

enum class TeamJoinControl {
    Panel,
    Band,
    Title, // 团队模板库
    Close, // the close picture
    KindLabel,
    Kind, // 服务器类型: PostgreSQL, SQL Server
    ServerLabel,
    Server,
    PortLabel,
    Port,
    DatabaseLabel,
    Database,
    UserLabel,
    User,
    PasswordLabel,
    Password,
    Test,  // 测试连接
    Join,  // 连接
    Leave, // 断开
    Line,
    State, // the state, several lines
};

const Layout<TeamJoinControl>& TeamJoinLayout();

inline int TeamJoinControlId(TeamJoinControl control) { return 100 + static_cast<int>(control); }

namespace TeamJoinLook {
const int kClientWidth = 380;
const int kClientHeight = 360;
const int kComboDropHeight = 80;
const COLORREF kHeaderColour = RGB(85, 170, 255);
const SkinLook kSkin = {12, 16, RGB(255, 255, 255), RGB(128, 128, 128), 10, false, 0};
} // namespace TeamJoinLook

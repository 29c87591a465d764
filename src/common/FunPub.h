#pragma once
// The program's message boxes and its fixed texts. All texts here are UTF-8; the
// window layer converts them for display, so they read right whatever the system
// code page is.
#include <string>

namespace Texts {
inline const char* const kNoticeCaption = "系统提示";
inline const char* const kErrorCaption = "系统错误";
inline const char* const kAlreadyRunning = "程序已经运行!";
inline const char* const kConnectError = "连接数据库出错:\r";
inline const char* const kConfigRowError = "导入配置文件出错,请重新启动软件";
inline const char* const kQuitQuestion = "是否想退出系统？";
inline const char* const kHelpMissing = "没有找到相应的帮助文件!";
} // namespace Texts

// Icon of a notice box.
enum class NoticeType { None = 0, Exclamation = 1, Error = 2 };

// Modal message boxes, owned by the window that shows them. Windows implement this
// with MessageBox; tests record the calls.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Caption "系统提示", OK, the icon of `type`.
    virtual void notice(const std::string& text, NoticeType type) = 0;
    // Caption "系统提示", Yes and No, the question icon; true only for Yes.
    virtual bool question(const std::string& text) = 0;
    // The plain box: no icon, OK, captioned with the application's title.
    virtual void plain(const std::string& text) = 0;
};

// "打开程序快捷键 Ctrl+A" for the hotkey letter code 65.
std::string TrayHintText(int hotKeyInt);

#pragma once
// The program's message boxes and its fixed texts. All texts here are UTF-8; the
// window layer converts them for display, so they read right whatever the system
// code page is.
#include <string>
#include <vector>

namespace Texts {
inline const char* const kNoticeCaption = "系统提示";
inline const char* const kErrorCaption = "系统错误";
inline const char* const kAlreadyRunning = "程序已经运行!";
inline const char* const kConnectError = "连接数据库出错:\r";
inline const char* const kConfigRowError = "导入配置文件出错,请重新启动软件";
inline const char* const kQuitQuestion = "是否想退出系统？";
inline const char* const kHelpMissing = "没有找到相应的帮助文件!";
// Grey in the main window's empty search box: the agent learns she may type pinyin initials.
inline const char* const kSearchCue = "输入文字或拼音首字母";

// The template manager.
inline const char* const kTemplateEmpty = "添加模板内容不能为空！";
inline const char* const kTemplateExists = "已经有相同模板存在！";
inline const char* const kNoTemplateToModify = "没有选择要修改的模板!";
inline const char* const kNoTemplateToDelete = "没有选择要删除的模板!";
inline const char* const kDeleteQuestion = "是否要删除选择模板数据!";
inline const char* const kTemplateAdded = "添加模板成功.";
inline const char* const kTemplateModified = "修改模板成功.";
inline const char* const kTemplateDeleted = "删除模板成功.";
// Followed by the database's reason; the memo keeps the user's text.
inline const char* const kAddFailed = "添加模板失败,数据库没有保存这条模板: ";
inline const char* const kModifyFailed = "修改模板失败,数据库没有保存这次修改: ";
inline const char* const kDeleteFailed = "删除模板失败,数据库没有删除这条模板: ";
// The manager's close when its order could not be stored: kOrderNotStored, the reason,
// then kCloseWithoutOrder, asked as a question (Yes closes without the order).
inline const char* const kOrderNotStored = "模板的排列顺序没有保存: ";
inline const char* const kCloseWithoutOrder = "\r是否不保存顺序,直接关闭模板管理?";

// The settings dialog.
inline const char* const kSettingsSaved = "保存设置成功,重启系统后生效.";
// The letter list's text holds no letter and no item is selected: nothing is saved.
inline const char* const kNoHotKeyLetter = "请选择快捷键字母!";
// The row was written, but the start would not read those values back from it (a table another
// tool made, with two rows under TID 1): nothing is kept.
inline const char* const kSettingsNotReadBack = "保存设置失败,设置没有保存: 从数据库读回的设置记录与要保存的不一致,"
                                                "下次启动读不到这些设置.\r请用 VelmoraDb check 检查 DB.mdb.";

// Backups at exit.
inline const char* const kBackupQuestion = "是否要备份数据库?";
// Each followed by the reason; the folder and file texts first by the folder's path or the file's name and ": ".
inline const char* const kBackupFolderFailed = "数据库备份失败,无法创建备份文件夹 ";
inline const char* const kBackupCopyFailed = "数据库备份失败,无法写入备份文件 ";
inline const char* const kBackupFailed = "数据库备份失败: ";
// A backup was made (followed by its name, then kBackupStampFailed and the reason) but DB.mdb
// could not record its time: the next exit makes another one.
inline const char* const kBackupMadeStampFailed = "数据库已备份为 ";
inline const char* const kBackupStampFailed = ",但无法记录备份时间,下次退出时将再备份一次: ";
// The reason when every name from the backup's moment on is taken.
inline const char* const kBackupNoFreeName = "之后一天内的备份文件名都已被占用";

// Shown by Windows while the backup at the end of the session holds the shutdown.
inline const char* const kBackupAtSessionEnd = "正在备份数据库,请稍候...";

// The restore dialog.
inline const char* const kNoBackupFile = "没有找到备份文件!";
inline const char* const kRestoreQuestion = "是否要还原选择的备份文件?\r注: 还原数据库后系统会自动关闭,请重新开启软件.";
inline const char* const kRestored = "还原数据库成功!";
// Followed by the reason the chosen file is not a database of this program.
inline const char* const kRestoreRefused = "选择的备份文件不能还原: ";
// kRestoreFailed, the reason, then kRestoreFailedEnd.
inline const char* const kRestoreFailed = "还原数据库失败: ";
inline const char* const kRestoreFailedEnd = " 数据库没有改变,系统将关闭.";
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

// The tray hint and the start notice when another program holds Ctrl + the letter.
std::string HotKeyTakenHint(int hotKeyInt);
std::string HotKeyTakenNotice(int hotKeyInt);
// The notice when the captured window refused typed characters after `typedCharacters`
// of `allCharacters` had been typed.
std::string TypingRefusedNotice(int typedCharacters, int allCharacters);
// The notice when the captured window was closed (or stopped responding) after
// `typedCharacters` of `allCharacters` had been typed.
std::string TypingCutShortNotice(bool windowClosed, int typedCharacters, int allCharacters);
// The notice when nothing was typed because the captured window is an older (ANSI)
// program and the template holds `characters` its code page cannot carry.
std::string CharactersNotTakenNotice(const std::vector<std::string>& characters);
// The notice when the captured window turned from a Unicode window into an older one (or
// back) after `typedCharacters` of `allCharacters` had been typed.
std::string TypingKindChangedNotice(int typedCharacters, int allCharacters);
// The notice after a reply was typed without the refused characters `codes` (control
// characters, bidirectional marks) of its template.
std::string CharactersSkippedNotice(const std::vector<unsigned long>& codes);

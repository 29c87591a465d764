#include "common/FunPub.h"

#include "common/TemplateRule.h"

std::string TrayHintText(int hotKeyInt)
{
    // The letter code is one byte of text; anything outside a byte shows as '?'.
    const char letter = hotKeyInt > 0 && hotKeyInt < 128 ? static_cast<char>(hotKeyInt) : '?';
    return std::string("打开程序快捷键 Ctrl+") + letter;
}

namespace {
std::string Letter(int hotKeyInt) { return std::string(1, hotKeyInt > 0 && hotKeyInt < 128 ? char(hotKeyInt) : '?'); }
} // namespace

std::string HotKeyTakenHint(int hotKeyInt) { return "快捷键 Ctrl+" + Letter(hotKeyInt) + " 已被其他程序占用"; }

std::string HotKeyTakenNotice(int hotKeyInt)
{
    return "快捷键 Ctrl+" + Letter(hotKeyInt) +
           " 已被其他程序占用,Velmora 无法使用它。\r请在\"系统设置\"中选择其他字母,然后重新启动 Velmora。";
}

std::string TypingRefusedNotice(int typedCharacters, int allCharacters)
{
    std::string text = "目标窗口属于以管理员身份运行的程序,不接受 Velmora 输入的文字。\r"
                       "请以同样的权限(以管理员身份)运行 Velmora 后再试。\r";
    if (typedCharacters == 0)
        return text + "这条回复没有输入。";
    return text + "这条回复只输入了 " + std::to_string(allCharacters) + " 个字符中的前 " +
           std::to_string(typedCharacters) + " 个。";
}

std::string TypingCutShortNotice(bool windowClosed, int typedCharacters, int allCharacters)
{
    const std::string counts =
        "已输入 " + std::to_string(typedCharacters) + "/" + std::to_string(allCharacters) + " 个字符";
    if (windowClosed)
        return "目标窗口已经关闭,这条回复没有输入完。\r" + counts + ",其余的没有输入。";
    // The character Velmora stopped waiting for may still arrive once the window recovers.
    return "目标窗口停止响应,这条回复没有输入完。\r" + counts +
           ",其余的没有输入。\r"
           "请等窗口恢复后检查其中的文字。";
}

std::string CharactersNotTakenNotice(const std::vector<std::string>& characters)
{
    std::string list;
    for (const std::string& character : characters)
        list += (list.empty() ? "" : " ") + character;
    return "目标窗口是不支持 Unicode 的旧程序,不能输入模板中的这些字符: " + list +
           "\r这条回复没有输入。请在支持 Unicode 的程序中使用这条模板,或删除这些字符后再试。";
}

std::string TypingKindChangedNotice(int typedCharacters, int allCharacters)
{
    // Sent on as they were made, the rest would reach the window as '?' where its code page
    // lacks a character.
    return "目标窗口在输入中途变了:它原来是支持 Unicode 的程序,现在是不支持 Unicode 的旧程序(或者反过来),"
           "这条回复没有输入完。\r已输入 " +
           std::to_string(typedCharacters) + "/" + std::to_string(allCharacters) +
           " 个字符,其余的没有输入,以免变成问号。\r请检查目标窗口中的文字,再按快捷键重新选择目标窗口。";
}

std::string CharactersSkippedNotice(const std::vector<unsigned long>& codes)
{
    std::string list;
    for (unsigned long code : codes)
        list += (list.empty() ? "" : " ") + CodePointName(code);
    return "这条模板中有 Velmora 不输入的字符,已经跳过: " + list +
           "\r控制字符会在目标窗口中删除或粘贴文字,双向文字控制符会使文字显示得与实际内容不同。"
           "其余的文字已经输入,请检查后再发送,并在模板管理中改正这条模板。";
}

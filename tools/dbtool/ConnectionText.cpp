#include "ConnectionText.h"

#include "Platform.h"

#include "common/Text.h"

namespace {

const char* const kNoInput = "标准输入已经结束";

} // namespace

bool TakeConnectionText(const std::string& argument, Platform& platform, std::string& text, std::string& error)
{
    if (argument != "-") {
        text = argument;
        return true;
    }
    const bool console = platform.inputIsConsole();
    if (console)
        platform.prompt("连接文字：");
    std::string line;
    if (!platform.readInputLine(line, true)) {
        error = std::string("连接文字写作 - 时从标准输入读取，但") + kNoInput + "，没有读到连接文字";
        return false;
    }
    if (line.size() >= kInputLineLimit) {
        error = "标准输入的第一行太长，不像是连接文字";
        return false;
    }
    text = TrimText(line);
    if (text.empty()) {
        error = "标准输入的第一行是空的，没有读到连接文字";
        return false;
    }
    return true;
}

bool CompletePassword(std::string& text, Platform& platform, std::string& error)
{
    if (!NeedsPassword(text))
        return true;
    const bool console = platform.inputIsConsole();
    if (console)
        platform.prompt("密码（输入时不显示，直接回车表示不用密码）：");
    std::string password;
    if (!platform.readInputLine(password, false)) {
        error = std::string("连接文字中没有密码（Pwd=），") +
                (console ? "也没有输入" : std::string(kNoInput) + "，没有读到密码");
        return false;
    }
    if (password.size() >= kInputLineLimit) {
        error = "输入的密码太长";
        return false;
    }
    if (!password.empty())
        text = WithPassword(text, password);
    return true;
}

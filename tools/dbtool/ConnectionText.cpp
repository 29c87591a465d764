#include "ConnectionText.h"

#include "Platform.h"

#include "common/Text.h"

#include <strings.h>

std::vector<std::pair<std::string, std::string>> OdbcPairs(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t at = 0;
    while (at < text.size()) {
        const size_t equals = text.find('=', at);
        const size_t end = text.find(';', at);
        if (equals == std::string::npos || (end != std::string::npos && end < equals)) {
            if (end == std::string::npos)
                break;
            at = end + 1;
            continue;
        }
        const std::string name = TrimText(text.substr(at, equals - at));
        size_t valueAt = equals + 1;
        while (valueAt < text.size() && text[valueAt] == ' ')
            ++valueAt;
        std::string value;
        if (valueAt < text.size() && text[valueAt] == '{') {
            size_t i = valueAt + 1;
            for (; i < text.size(); ++i) {
                if (text[i] == '}') {
                    if (i + 1 < text.size() && text[i + 1] == '}') {
                        value += '}';
                        ++i;
                        continue;
                    }
                    break;
                }
                value += text[i];
            }
            const size_t next = text.find(';', i);
            at = next == std::string::npos ? text.size() : next + 1;
        } else {
            const size_t next = text.find(';', valueAt);
            value = TrimText(text.substr(valueAt, next == std::string::npos ? std::string::npos : next - valueAt));
            at = next == std::string::npos ? text.size() : next + 1;
        }
        pairs.emplace_back(name, value);
    }
    return pairs;
}

std::optional<std::string> OdbcValue(const std::string& text, const char* key)
{
    // The first one counts, as for the driver manager.
    for (const auto& [name, value] : OdbcPairs(text))
        if (strcasecmp(name.c_str(), key) == 0)
            return value;
    return std::nullopt;
}

namespace {

bool ValueIs(const std::string& text, const char* key, std::initializer_list<const char*> values)
{
    const std::optional<std::string> value = OdbcValue(text, key);
    if (!value)
        return false;
    const std::string trimmed = TrimText(*value);
    for (const char* one : values)
        if (strcasecmp(trimmed.c_str(), one) == 0)
            return true;
    return false;
}

const char* const kNoInput = "标准输入已经结束";

} // namespace

bool NeedsPassword(const std::string& text)
{
    if (OdbcValue(text, "Pwd") || OdbcValue(text, "Password"))
        return false;
    // The Windows user's own sign-in: SQL Server's drivers, and the ways to Azure's directory
    // that need no password either.
    return !ValueIs(text, "Trusted_Connection", {"yes", "true"}) &&
           !ValueIs(text, "Integrated Security", {"sspi", "true", "yes"}) &&
           !ValueIs(text, "Authentication",
                    {"ActiveDirectoryIntegrated", "ActiveDirectoryInteractive", "ActiveDirectoryMsi",
                     "ActiveDirectoryManagedIdentity", "ActiveDirectoryDefault"});
}

std::string OdbcQuoted(const std::string& value)
{
    const bool blankAtEnd = !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                                               static_cast<unsigned char>(value.back()) <= ' ');
    if (!blankAtEnd && value.find_first_of(";{}") == std::string::npos)
        return value;
    std::string quoted = "{";
    for (const char c : value) {
        quoted += c;
        if (c == '}')
            quoted += '}';
    }
    return quoted + "}";
}

std::string WithPassword(const std::string& text, const std::string& password)
{
    std::string completed = text;
    while (!completed.empty() && (completed.back() == ' ' || completed.back() == '\t'))
        completed.pop_back();
    if (!completed.empty() && completed.back() != ';')
        completed += ';';
    return completed + "Pwd=" + OdbcQuoted(password) + ";";
}

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

#include "common/TemplateRule.h"

#include "common/Text.h"

#include <cstdio>

namespace {

template <typename Predicate>
FoundCharacter FindCharacter(const std::string& utf8, Predicate matches)
{
    FoundCharacter found;
    size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned long code = 0;
        size_t length = 1;
        if (DecodeUtf8At(utf8, pos, code, length) && matches(code)) {
            found.at = pos;
            found.code = code;
            return found;
        }
        pos += length;
    }
    return found;
}

} // namespace

bool IsRefusedCharacter(unsigned long code)
{
    if (code == '\t' || code == '\n' || code == '\r')
        return false;
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
        return true;
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

bool IsZeroWidthCharacter(unsigned long code) { return code == 0x200B || code == 0x2060 || code == 0xFEFF; }

FoundCharacter FindRefusedCharacter(const std::string& utf8) { return FindCharacter(utf8, IsRefusedCharacter); }

FoundCharacter FindZeroWidthCharacter(const std::string& utf8) { return FindCharacter(utf8, IsZeroWidthCharacter); }

std::string CodePointName(unsigned long code)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", code);
    return name;
}

std::string RefusedCharacterText(unsigned long code)
{
    if (code >= 0x2000)
        return "双向文字控制符 " + CodePointName(code) + "（它使文字显示得与实际内容不同）";
    return "控制字符 " + CodePointName(code) + "（模板中只能有制表符和换行）";
}

#include "common/TemplateRule.h"

#include <cstdio>

namespace {

// The code point of the whole UTF-8 character at `pos` and its length; a byte that starts no
// whole character gives length 1 and no code point.
bool DecodeAt(const std::string& text, size_t pos, unsigned long& code, size_t& length)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    length = 1;
    if (lead < 0x80) {
        code = lead;
        return true;
    }
    size_t need;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        code = lead & 0x07;
    } else {
        return false;
    }
    if (pos + need > text.size())
        return false;
    for (size_t k = 1; k < need; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (next & 0x3F);
    }
    length = need;
    return true;
}

template <typename Predicate>
FoundCharacter FindCharacter(const std::string& utf8, Predicate matches)
{
    FoundCharacter found;
    size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned long code = 0;
        size_t length = 1;
        if (DecodeAt(utf8, pos, code, length) && matches(code)) {
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

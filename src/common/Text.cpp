#include "common/Text.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

bool IsContinuation(const std::string& text, size_t pos)
{
    return pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80;
}

} // namespace

size_t CharacterLength(const std::string& text, size_t pos)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    const size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
    if (lead >= 0xF5)
        return 1;
    for (size_t i = 1; i < length; ++i)
        if (!IsContinuation(text, pos + i))
            return 1;
    return length;
}

std::string TrimText(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

int CharacterCount(const std::string& text)
{
    int count = 0;
    for (size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos))
        ++count;
    return count;
}

std::string ShortenText(const std::string& text, int count)
{
    size_t pos = 0;
    int taken = 0;
    while (pos < text.size() && taken < count) {
        pos += CharacterLength(text, pos);
        ++taken;
    }
    if (pos >= text.size())
        return text;
    return text.substr(0, pos) + "...";
}

std::u16string Utf16Units(const std::string& character)
{
    const size_t length = character.empty() ? 0 : CharacterLength(character, 0);
    if (length == 0)
        return {};
    const unsigned char lead = static_cast<unsigned char>(character[0]);
    if (length == 1)
        return std::u16string(1, lead < 0x80 ? char16_t(lead) : char16_t(0xFFFD));
    static const unsigned char kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    char32_t point = lead & kLeadBits[length];
    for (size_t i = 1; i < length; ++i)
        point = (point << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
    if (point < 0x10000)
        return std::u16string(1, static_cast<char16_t>(point));
    point -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (point >> 10)), static_cast<char16_t>(0xDC00 + (point & 0x3FF))};
}

std::string Enclosed(const std::string& text, char quote)
{
    std::string quoted(1, quote);
    for (char c : text) {
        quoted += c;
        if (c == quote)
            quoted += quote;
    }
    return quoted + quote;
}

std::string QuotedText(const std::string& text) { return Enclosed(text, '\''); }

std::string ContainsPattern(const std::string& text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

int LineOf(const std::string& bytes, size_t offset)
{
    int line = 1;
    for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

bool DecodeUtf8At(const std::string& text, size_t pos, unsigned long& code, size_t& length)
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
    // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not characters.
    const bool overlong = (need == 3 && code < 0x800) || (need == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return false;
    length = need;
    return true;
}

#include "common/Text.h"

#include <algorithm>
#include <exception>

#include "common/TextCodec.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

// Length in bytes of the character that starts at `pos`. A lead byte at the very end
// of the text stands alone.
size_t CharacterLength(const std::string& text, size_t pos, const TextCodec& codec)
{
    if (codec.isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
        return 2;
    return 1;
}

} // namespace

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

int CharacterCount(const std::string& text, const TextCodec& codec)
{
    int count = 0;
    for (size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos, codec))
        ++count;
    return count;
}

int CharactersWithin(const std::string& text, size_t bytes, const TextCodec& codec)
{
    int count = 0;
    const size_t end = std::min(bytes, text.size());
    for (size_t pos = 0; pos < end; pos += CharacterLength(text, pos, codec))
        if (pos + CharacterLength(text, pos, codec) <= end)
            ++count;
    return count;
}

std::string ShortenText(const std::string& text, int count, const TextCodec& codec)
{
    size_t pos = 0;
    int taken = 0;
    while (pos < text.size() && taken < count) {
        pos += CharacterLength(text, pos, codec);
        ++taken;
    }
    if (pos >= text.size())
        return text;
    return text.substr(0, pos) + "...";
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

std::vector<std::string> CharactersOutsideCodePage(const std::string& text, const TextCodec& codec, size_t limit)
{
    std::vector<std::string> outside;
    for (size_t at = 0; at < text.size() && outside.size() < limit;) {
        // One UTF-8 character: a lead byte and its continuation bytes.
        size_t length = 1;
        while (at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
            ++length;
        const std::string character = text.substr(at, length);
        at += length;
        if (static_cast<unsigned char>(character[0]) < 0x80)
            continue;
        // A character the code page carries comes back from it unchanged.
        bool carried = false;
        try {
            carried = codec.toUtf8(codec.fromUtf8(character)) == character;
        } catch (const std::exception&) {
        }
        if (!carried && std::find(outside.begin(), outside.end(), character) == outside.end())
            outside.push_back(character);
    }
    return outside;
}

#include "store/TeamError.h"

#include <algorithm>
#include <cctype>
#include <vector>

TeamFault TeamFaultFromSqlState(const std::string& sqlState)
{
    if (sqlState == "IM002")
        return TeamFault::DriverMissing;
    if (sqlState == "28000" || sqlState == "28P01")
        return TeamFault::LoginRefused;
    if (sqlState == "08001" || sqlState == "08S01" || sqlState == "HYT00" || sqlState == "HYT01")
        return TeamFault::Unreachable;
    if (sqlState == "42P01" || sqlState == "42S02")
        return TeamFault::TableMissing;
    return TeamFault::Unexpected;
}

namespace {

bool IsPasswordKey(std::string key)
{
    while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back())))
        key.pop_back();
    size_t start = 0;
    while (start < key.size() && std::isspace(static_cast<unsigned char>(key[start])))
        ++start;
    key = key.substr(start);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key == "pwd" || key == "password";
}

struct ValueSpan {
    size_t begin, end; // [begin, end) of the value as written, braces included
};

// Where the password values of a connection text are. A value in braces may hold ';' and
// '=' and ends at the first '}' not doubled.
std::vector<ValueSpan> PasswordValues(const std::string& text)
{
    std::vector<ValueSpan> spans;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t equals = text.find('=', pos);
        const size_t semicolon = text.find(';', pos);
        if (equals == std::string::npos)
            break;
        if (semicolon != std::string::npos && semicolon < equals) {
            pos = semicolon + 1;
            continue;
        }
        const bool password = IsPasswordKey(text.substr(pos, equals - pos));
        size_t begin = equals + 1;
        while (begin < text.size() && text[begin] == ' ')
            ++begin;
        size_t end = begin;
        if (end < text.size() && text[end] == '{') {
            ++end;
            while (end < text.size()) {
                if (text[end] == '}') {
                    if (end + 1 < text.size() && text[end + 1] == '}') {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
        }
        end = std::min(text.find(';', end), text.size());
        if (password)
            spans.push_back({equals + 1, end});
        pos = end + 1;
    }
    return spans;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty())
        return;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

} // namespace

std::string ScrubPassword(const std::string& text, const std::string& connectionText)
{
    std::string scrubbed = text;
    const std::vector<ValueSpan> own = PasswordValues(scrubbed);
    for (auto span = own.rbegin(); span != own.rend(); ++span)
        scrubbed.replace(span->begin, span->end - span->begin, "***");
    for (const ValueSpan& span : PasswordValues(connectionText)) {
        std::string value = connectionText.substr(span.begin, span.end - span.begin);
        while (!value.empty() && value.front() == ' ')
            value.erase(value.begin());
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
            ReplaceAll(scrubbed, value, "***");
            value = value.substr(1, value.size() - 2);
            ReplaceAll(value, "}}", "}");
        }
        ReplaceAll(scrubbed, value, "***");
    }
    return scrubbed;
}

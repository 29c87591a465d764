#include "store/TeamConnectionText.h"

#include "common/Text.h"

#include <initializer_list>
#include <map>
#include <strings.h>

namespace {

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Filled(const std::optional<std::string>& value) { return value ? TrimText(*value) : std::string(); }

} // namespace

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

std::string TeamServerName(const std::string& connectionText)
{
    for (const char* key : {"Server", "Host", "Address", "Addr", "DSN"}) {
        const std::string value = Filled(OdbcValue(connectionText, key));
        if (!value.empty())
            return value;
    }
    return {};
}

std::string TeamConnectionIdentity(const std::string& connectionText)
{
    // One name for each thing a connection text may name several ways.
    static const std::vector<std::pair<const char*, const char*>> kSame = {
        {"host", "server"},        {"address", "server"}, {"addr", "server"},     {"servername", "server"},
        {"data source", "server"}, {"db", "database"},    {"dbname", "database"}, {"initial catalog", "database"},
        {"user", "uid"},           {"user id", "uid"},    {"username", "uid"},
    };
    std::map<std::string, std::string> parts;
    for (const auto& [name, value] : OdbcPairs(connectionText)) {
        std::string key = AsciiLower(name);
        if (key == "pwd" || key == "password")
            continue;
        for (const auto& [other, same] : kSame)
            if (key == other)
                key = same;
        // Host and driver names know no letter case; a database's or user's name may.
        const bool caseless = key == "driver" || key == "server" || key == "dsn";
        parts.emplace(key, caseless ? AsciiLower(TrimText(value)) : TrimText(value));
    }
    std::string identity;
    for (const auto& [key, value] : parts)
        identity += key + "=" + Enclosed(value, '"') + ";";
    return identity;
}

bool NamesOdbcDriver(const std::string& connectionText)
{
    return !Filled(OdbcValue(connectionText, "Driver")).empty() || !Filled(OdbcValue(connectionText, "DSN")).empty();
}

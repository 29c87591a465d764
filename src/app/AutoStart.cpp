#include "app/AutoStart.h"

namespace {

char Folded(char c)
{
    if (c == '/')
        return '\\';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string AutoStartCommand(const std::string& programPath) { return "\"" + programPath + "\" " + kSignInArgument; }

std::string ProgramOfCommand(const std::string& command)
{
    const std::string text = Trimmed(command);
    if (text.empty())
        return "";
    if (text[0] == '"') {
        const std::size_t close = text.find('"', 1);
        return close == std::string::npos ? "" : text.substr(1, close - 1);
    }
    // Unquoted, as a person may type it: the path ends where an argument begins.
    const std::size_t argument = text.find(" /");
    return Trimmed(text.substr(0, argument));
}

bool SamePath(const std::string& a, const std::string& b) { return SameText(a, b); }

AutoStartFinding FindAutoStart(const std::optional<std::string>& entry, const std::string& programPath,
                               const std::function<bool(const std::string&)>& exists)
{
    if (!entry)
        return {};
    const std::string program = ProgramOfCommand(*entry);
    if (SamePath(program, programPath))
        return {true, *entry != AutoStartCommand(programPath)};
    if (!program.empty() && exists(program))
        return {};
    return {true, true};
}

bool StartedAtSignIn(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (SameText(argument, kSignInArgument))
            return true;
    return false;
}

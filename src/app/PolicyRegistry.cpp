#include "app/PolicyRegistry.h"

#include "ui/WinText.h"

#include <windows.h>

namespace {

const wchar_t* const kPolicyKey = L"Software\\Policies\\Velmora";
// Far above any connection text or list of sets; a longer value is not a policy of ours.
const DWORD kLongestText = 8192;

std::optional<std::string> TextValue(HKEY key, const wchar_t* name)
{
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ ||
        bytes > kLongestText * sizeof(wchar_t))
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    // Stored with or without its terminating zero.
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return Utf8FromWide(text);
}

std::optional<long long> NumberValue(HKEY key, const wchar_t* name)
{
    DWORD type = 0, value = 0, bytes = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return static_cast<long long>(value);
}

TeamPolicyValues ReadHive(HKEY hive)
{
    TeamPolicyValues values;
    HKEY key = nullptr;
    // The machine's policies lie in the system's own view of the registry, also for a 32-bit
    // program on a 64-bit Windows (the flag means nothing on a 32-bit one).
    if (RegOpenKeyExW(hive, kPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return values;
    values.connection = TextValue(key, L"TeamConnection");
    values.sets = TextValue(key, L"TeamSets");
    values.checkSeconds = NumberValue(key, L"TeamCheckSeconds");
    RegCloseKey(key);
    return values;
}

} // namespace

TeamPolicy ReadTeamPolicy() { return {ReadHive(HKEY_LOCAL_MACHINE), ReadHive(HKEY_CURRENT_USER)}; }

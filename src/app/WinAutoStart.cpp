#include "app/WinAutoStart.h"

#include "app/AutoStart.h"
#include "ui/ExecutableFolder.h"
#include "ui/WinText.h"

#include <windows.h>

#include <optional>

namespace {

std::optional<std::string> ReadEntry()
{
    // Sized once, read, and sized again if the value grew in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        const std::wstring key = Widen(kRunKey), value = Widen(kRunValue);
        // An expandable string is expanded and taken as well, as Windows reads it at sign-in.
        const DWORD types = RRF_RT_REG_SZ;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), types, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS read =
            RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), types, nullptr, text.data(), &size);
        if (read == ERROR_MORE_DATA)
            continue;
        if (read != ERROR_SUCCESS)
            return std::nullopt;
        text.resize(wcsnlen(text.c_str(), text.size()));
        return Utf8FromWide(text);
    }
    return std::nullopt;
}

bool ProgramExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

AutoStartFinding Finding() { return FindAutoStart(ReadEntry(), ExecutablePath(), ProgramExists); }

LSTATUS WriteEntry()
{
    HKEY key = nullptr;
    LSTATUS result = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &key, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    const std::wstring command = Widen(AutoStartCommand(ExecutablePath()));
    result = RegSetValueExW(key, Widen(kRunValue).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result;
}

LSTATUS RemoveEntry()
{
    const LSTATUS result = RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), Widen(kRunValue).c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

} // namespace

void CorrectAutoStartEntry()
{
    if (Finding().rewrite)
        WriteEntry();
}

bool AutoStartOn() { return Finding().on; }

std::string SetAutoStart(bool on)
{
    const LSTATUS result = on ? WriteEntry() : RemoveEntry();
    return result == ERROR_SUCCESS ? std::string() : SystemErrorText(static_cast<DWORD>(result));
}

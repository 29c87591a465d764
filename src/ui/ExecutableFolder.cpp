#include "ui/ExecutableFolder.h"

#include "ui/WinText.h"

#include <windows.h>

namespace {

std::wstring WidePath()
{
    // Long paths are cut by a small buffer: grow it until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring WideFolder()
{
    const std::wstring file = WidePath();
    return file.substr(0, file.find_last_of(L'\\') + 1);
}

} // namespace

std::string ExecutableFolder() { return Utf8FromWide(WideFolder()); }

std::string ExecutablePath() { return Utf8FromWide(WidePath()); }

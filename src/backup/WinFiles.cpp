#include "backup/WinFiles.h"

#include "ui/WinText.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string LastErrorText() { return SystemErrorText(GetLastError()); }

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

} // namespace

bool WinFiles::isFile(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFiles::isFolder(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFiles::makeFolder(const std::string& path, std::string& error)
{
    if (CreateDirectoryW(Widen(path).c_str(), nullptr) || isFolder(path))
        return true;
    error = LastErrorText();
    return false;
}

bool WinFiles::moveReplacing(const std::string& from, const std::string& to, std::string& error)
{
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = LastErrorText();
    return false;
}

bool WinFiles::copyWithoutReplacing(const std::string& from, const std::string& to, std::string& error)
{
    if (CopyFileW(Widen(from).c_str(), Widen(to).c_str(), TRUE))
        return true;
    error = LastErrorText();
    return false;
}

bool WinFiles::flushToDisk(const std::string& path, std::string& error)
{
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != FALSE;
    if (!flushed)
        error = LastErrorText();
    CloseHandle(file);
    return flushed;
}

bool WinFiles::moveWithoutReplacing(const std::string& from, const std::string& to, std::string& error)
{
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    error = LastErrorText();
    return false;
}

bool WinFiles::remove(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != FALSE; }

std::vector<std::string> WinFiles::backupNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Widen(folder + "\\*.bk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        // The pattern also matches by a file's short name: keep the names that really end in ".bk".
        const std::wstring name = found.cFileName;
        const bool endsInBk = name.size() > 3 && _wcsicmp(name.c_str() + name.size() - 3, L".bk") == 0;
        if (endsInBk && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Utf8FromWide(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

DateTime WinClock::now()
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    return ToDateTime({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
}

#include "ProgramFolder.h"

#include "Handle.h"
#include "Text.h"
#include "Wait.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace wt {

namespace {

std::string TempFolder()
{
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error(LastErrorText("GetTempPathW"));
    std::string path = Narrow(std::wstring(buffer, length));
    if (path.back() != '\\')
        path += '\\';
    return path;
}

std::string UniqueName()
{
    static std::atomic<unsigned> counter{0};
    return "velmora-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
           std::to_string(++counter);
}

bool RemoveTreeOnce(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeOnce(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(folder.c_str()) || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

void MakeFolders(const std::string& path)
{
    // A fresh Wine prefix has no %TEMP% folder until someone creates it.
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\')
            continue;
        const std::string level = path.substr(0, i);
        if (level.empty() || level.back() == ':' || level.back() == '\\')
            continue;
        if (!CreateDirectoryW(Widen(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error(LastErrorText("CreateDirectoryW " + level));
    }
}

bool RemoveFolderTree(const std::string& path)
{
    std::wstring folder = Widen(path);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return WaitUntil([&] { return RemoveTreeOnce(folder); }, 5000, 100);
}

ProgramFolder::ProgramFolder(const std::string& name)
{
    root_ = TempFolder() + UniqueName() + "\\";
    path_ = root_ + (name.empty() ? std::string("program") : name) + "\\";
    MakeFolders(path_);
}

ProgramFolder::~ProgramFolder() { RemoveFolderTree(root_); }

std::string ProgramFolder::file(const std::string& name) const { return path_ + name; }

std::string ProgramFolder::copyProgram() const
{
    const std::string target = file("Velmora.exe");
    copyIn(RequiredEnvironmentPath("VELMORA_EXE"), "Velmora.exe");
    return target;
}

void ProgramFolder::copyIn(const std::string& sourcePath, const std::string& name) const
{
    const std::string target = file(name);
    SetFileAttributesW(Widen(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileW(Widen(sourcePath).c_str(), Widen(target).c_str(), FALSE))
        throw std::runtime_error(LastErrorText("CopyFileW " + sourcePath + " -> " + target));
}

void ProgramFolder::writeFile(const std::string& name, const std::string& bytes) const
{
    UniqueHandle handle(CreateFileW(Widen(file(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        throw std::runtime_error(LastErrorText("CreateFileW " + file(name)));
    DWORD written = 0;
    if (!WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error(LastErrorText("WriteFile " + file(name)));
}

std::string ProgramFolder::readFile(const std::string& name) const
{
    UniqueHandle handle(CreateFileW(Widen(file(name)).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        throw std::runtime_error(LastErrorText("CreateFileW " + file(name)));
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(handle.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool ProgramFolder::exists(const std::string& name) const
{
    return GetFileAttributesW(Widen(file(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ProgramFolder::removeFile(const std::string& name) const
{
    const std::wstring path = Widen(file(name));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error(LastErrorText("DeleteFileW " + file(name)));
}

void ProgramFolder::makeFolder(const std::string& name) const { MakeFolders(file(name)); }

void ProgramFolder::setReadOnly(const std::string& name, bool readOnly) const
{
    const std::wstring path = Widen(file(name));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw std::runtime_error(LastErrorText("GetFileAttributesW " + name));
    const DWORD changed = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!SetFileAttributesW(path.c_str(), changed))
        throw std::runtime_error(LastErrorText("SetFileAttributesW " + name));
}

std::vector<std::string> ProgramFolder::list(const std::string& folder, const std::string& pattern) const
{
    std::string prefix = folder.empty() ? path_ : file(folder);
    if (prefix.back() != '\\')
        prefix += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Widen(prefix + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace wt

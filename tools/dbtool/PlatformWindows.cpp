// The database tool's system calls on Windows, by the wide calls so that any path works.
#include "Platform.h"

#include "common/ImportMutex.h"
#include "ui/DpapiProtector.h"
#include "ui/WinText.h"

#include <windows.h>

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class WindowsPlatform : public Platform {
public:
    bool isFile(const std::string& path) override
    {
        const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        const Handle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            error = "无法打开文件（" + SystemErrorText(GetLastError()) + "）";
            return false;
        }
        bytes.clear();
        char buffer[65536];
        DWORD got = 0;
        for (;;) {
            if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
                error = "无法读取文件（" + SystemErrorText(GetLastError()) + "）";
                return false;
            }
            if (got == 0)
                return true;
            bytes.append(buffer, got);
        }
    }

    bool fileSize(const std::string& path, unsigned long long& bytes, std::string& error) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
            error = "无法打开文件（" + SystemErrorText(GetLastError()) + "）";
            return false;
        }
        bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    }

    bool writeNewFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        const std::wstring wide = Widen(path);
        bool written = false;
        {
            const Handle file(
                CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file.valid()) {
                const DWORD code = GetLastError();
                error = code == ERROR_FILE_EXISTS ? "文件已经存在，不会覆盖它"
                                                  : "无法创建文件（" + SystemErrorText(code) + "）";
                return false;
            }
            DWORD wrote = 0;
            written = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
                      wrote == bytes.size();
            if (!written)
                error = "无法写入文件（" + SystemErrorText(GetLastError()) + "）";
        }
        if (!written)
            DeleteFileW(wide.c_str());
        return written;
    }

    void removeFile(const std::string& path) override { DeleteFileW(Widen(path).c_str()); }

    std::string makeScratchFile(std::string& error) override
    {
        wchar_t folder[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"vdb", 0, name) == 0) {
            error = "无法创建临时文件（" + SystemErrorText(GetLastError()) + "）";
            return {};
        }
        return Utf8FromWide(name);
    }

    std::string makeFileBeside(const std::string& path, std::string& error) override
    {
        const std::wstring wide = Widen(path);
        const size_t slash = wide.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
        wchar_t name[MAX_PATH + 1];
        if (GetTempFileNameW(folder.c_str(), L"vdb", 0, name) == 0) {
            error = "无法在它旁边创建文件（" + SystemErrorText(GetLastError()) + "）";
            return {};
        }
        return Utf8FromWide(name);
    }

    bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override
    {
        if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD code = GetLastError();
        error = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ? "文件已经存在，不会覆盖它"
                                                                          : "无法改名（" + SystemErrorText(code) + "）";
        return false;
    }

    // Another import ends within about a second; one that holds the mutex for a minute is stuck.
    bool takeImportLock(std::string& error) override
    {
        importLock_ = CreateMutexW(nullptr, FALSE, kImportMutexName);
        const DWORD waited = importLock_ ? WaitForSingleObject(importLock_, 60000) : WAIT_FAILED;
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            return true;
        error = waited == WAIT_TIMEOUT ? "另一个 VelmoraDb 导入一分钟后还没有结束"
                                       : "无法取得导入的互斥体（" + SystemErrorText(GetLastError()) + "）";
        releaseImportLock();
        return false;
    }

    void releaseImportLock() override
    {
        if (!importLock_)
            return;
        ReleaseMutex(importLock_);
        CloseHandle(importLock_);
        importLock_ = nullptr;
    }

    // Velmora holds this mutex from its start to its end to refuse a second copy.
    bool velmoraRunning() override
    {
        const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Velmora");
        // A mutex made by another user's copy exists too, though it cannot be opened.
        if (!mutex)
            return GetLastError() == ERROR_ACCESS_DENIED;
        CloseHandle(mutex);
        return true;
    }

    Protector& protector() override { return dpapi_; }

private:
    HANDLE importLock_ = nullptr;
    DpapiProtector dpapi_;
};

} // namespace

Platform& ThisPlatform()
{
    static WindowsPlatform platform;
    return platform;
}

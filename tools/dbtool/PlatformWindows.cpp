// The database tool's system calls on Windows, by the wide calls so that any path works.
#include "Platform.h"

#include "app/PolicyRegistry.h"

#include "Csv.h"

#include "common/ImportMutex.h"
#include "ui/DpapiProtector.h"
#include "ui/WinText.h"

#include <windows.h>

namespace {

// The console's input mode while a password is typed without echo; put back by the handler
// below when Ctrl+C ends the tool half way, so that the console shows typing again.
HANDLE quietConsole = nullptr;
DWORD loudMode = 0;

BOOL WINAPI RestoreEcho(DWORD)
{
    if (quietConsole)
        SetConsoleMode(quietConsole, loudMode);
    return FALSE;
}

// Bytes from a file or a pipe: UTF-8 as the tool writes it, else the console's code page, as
// `echo` and `type` in a command prompt give them.
std::string InputText(const std::string& bytes)
{
    if (FindInvalidUtf8(bytes) == std::string::npos)
        return bytes;
    UINT codePage = GetConsoleCP();
    if (codePage == 0)
        codePage = GetACP();
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return Utf8FromWide(wide);
}

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
    TeamPolicy teamPolicy() override { return ReadTeamPolicy(); }

    bool inputIsConsole() override
    {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    }

    bool readInputLine(std::string& line, bool echo) override
    {
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        const bool got =
            GetConsoleMode(input, &mode) ? readConsoleLine(input, mode, line, echo) : readByteLine(input, line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return got;
    }

    void prompt(const std::string& text) override
    {
        const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        DWORD written = 0;
        if (GetConsoleMode(handle, &mode)) {
            const std::wstring wide = Widen(text);
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }

private:
    // Typed on the console: the characters whatever its code page. Ctrl+Z at the start of the
    // line ends the input, as everywhere in a command prompt.
    bool readConsoleLine(HANDLE input, DWORD mode, std::string& line, bool echo)
    {
        if (!echo) {
            quietConsole = input;
            loudMode = mode;
            SetConsoleCtrlHandler(RestoreEcho, TRUE);
            SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                                      ENABLE_PROCESSED_INPUT);
        }
        std::wstring wide;
        wchar_t buffer[256];
        DWORD read = 0;
        bool any = false;
        while (wide.size() < kInputLineLimit && ReadConsoleW(input, buffer, 256, &read, nullptr) && read > 0) {
            any = true;
            wide.append(buffer, read);
            if (wide.find(L'\n') != std::wstring::npos)
                break;
        }
        if (!echo) {
            SetConsoleMode(input, mode);
            SetConsoleCtrlHandler(RestoreEcho, FALSE);
            quietConsole = nullptr;
            // The Enter that ended the line was not shown either.
            prompt("\n");
        }
        const size_t end = wide.find_first_of(L"\r\n");
        if (end != std::wstring::npos)
            wide.resize(end);
        if (!any || (!wide.empty() && wide[0] == L'\x1a'))
            return false;
        line = Utf8FromWide(wide);
        return true;
    }

    // From a file or a pipe, byte by byte: what follows the line stays for the next read.
    bool readByteLine(HANDLE input, std::string& line)
    {
        std::string bytes;
        bool any = false;
        char c = 0;
        DWORD read = 0;
        while (bytes.size() < kInputLineLimit && ReadFile(input, &c, 1, &read, nullptr) && read == 1) {
            any = true;
            if (c == '\n')
                break;
            bytes += c;
        }
        if (!lineRead_ && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            bytes.erase(0, 3);
        lineRead_ = true;
        line = InputText(bytes);
        return any;
    }

    bool lineRead_ = false;
    HANDLE importLock_ = nullptr;
    DpapiProtector dpapi_;
};

} // namespace

Platform& ThisPlatform()
{
    static WindowsPlatform platform;
    return platform;
}

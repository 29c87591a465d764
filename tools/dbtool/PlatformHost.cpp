// The database tool's system calls on Linux, where it prepares and inspects databases for
// Windows desks: Velmora never runs here.
#include "Platform.h"

#include "common/Protector.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string SystemReason() { return std::strerror(errno); }

class HostPlatform : public Platform {
public:
    bool isFile(const std::string& path) override
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    bool readFile(const std::string& path, std::string& bytes, std::string& error) override
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            error = "无法打开文件 (" + SystemReason() + ")";
            return false;
        }
        bytes.clear();
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, got);
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            error = "无法读取文件";
        return !failed;
    }

    bool fileSize(const std::string& path, unsigned long long& bytes, std::string& error) override
    {
        struct stat info;
        if (stat(path.c_str(), &info) != 0) {
            error = "无法打开文件 (" + SystemReason() + ")";
            return false;
        }
        bytes = static_cast<unsigned long long>(info.st_size);
        return true;
    }

    bool writeNewFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            error = errno == EEXIST ? "文件已经存在, 不会覆盖它" : "无法创建文件 (" + SystemReason() + ")";
            return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0) {
                error = "无法写入文件 (" + SystemReason() + ")";
                close(fd);
                unlink(path.c_str());
                return false;
            }
            done += static_cast<size_t>(wrote);
        }
        if (close(fd) != 0) {
            error = "无法写入文件 (" + SystemReason() + ")";
            unlink(path.c_str());
            return false;
        }
        return true;
    }

    void removeFile(const std::string& path) override { unlink(path.c_str()); }

    std::string makeScratchFile(std::string& error) override
    {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/velmora-db-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            error = "无法创建临时文件 (" + SystemReason() + ")";
            return {};
        }
        close(fd);
        return pattern;
    }

    std::string makeFileBeside(const std::string& path, std::string& error) override
    {
        std::string pattern = path + ".new-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            error = "无法在它旁边创建文件 (" + SystemReason() + ")";
            return {};
        }
        close(fd);
        return pattern;
    }

    bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override
    {
        int rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        // File systems without that kind of rename still refuse a second name that exists.
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            rc = link(from.c_str(), to.c_str());
            if (rc == 0)
                unlink(from.c_str());
        }
        if (rc == 0)
            return true;
        error = errno == EEXIST ? "文件已经存在, 不会覆盖它" : "无法改名 (" + SystemReason() + ")";
        return false;
    }

    // Velmora never runs here, so nothing waits for an import.
    bool takeImportLock(std::string&) override { return true; }
    void releaseImportLock() override {}

    bool velmoraRunning() override { return false; }

    Protector& protector() override { return noProtection_; }

    bool inputIsConsole() override { return isatty(STDIN_FILENO) != 0; }

    bool readInputLine(std::string& line, bool echo) override
    {
        termios saved{};
        const bool quiet = !echo && isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
        if (quiet) {
            termios silent = saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
        // Byte by byte: what follows the line stays for the next read.
        line.clear();
        bool any = false;
        char c = 0;
        while (line.size() < kInputLineLimit && read(STDIN_FILENO, &c, 1) == 1) {
            any = true;
            if (c == '\n')
                break;
            line += c;
        }
        if (quiet) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            prompt("\n");
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return any;
    }

    void prompt(const std::string& text) override
    {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }

private:
    // Only Windows can protect a password for its user; nothing is stored unprotected here.
    class NoProtection : public Protector {
    public:
        std::string protect(const std::string&) override { throw Refusal(); }
        std::string unprotect(const std::string&) override { throw Refusal(); }

    private:
        static ProtectionError Refusal() { return ProtectionError("只有 Windows 上的 VelmoraDb 能加密保存连接字符串"); }
    };
    NoProtection noProtection_;
};

} // namespace

Platform& ThisPlatform()
{
    static HostPlatform platform;
    return platform;
}

#include "TestSupport.h"

#include <utility>

#include "store/Schema.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/velmora-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(root_, ignored);
}

std::string TempFolder::deliveredDatabase(const std::vector<std::string>& utf8Templates) const
{
    const std::string db = path("DB.mdb");
    CreateDeliveredDatabase(db, utf8Templates);
    return db;
}

std::string TempFolder::deliveredDatabaseIn(const std::string& utf8Name) const
{
    std::filesystem::create_directory(path(utf8Name));
    const std::string db = path(utf8Name + "/DB.mdb");
    CreateDeliveredDatabase(db, {});
    return db;
}

std::string TempFolder::readFile(const std::string& name) const
{
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

namespace fs = std::filesystem;

bool HostFiles::isFile(const std::string& path)
{
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

bool HostFiles::isFolder(const std::string& path)
{
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

bool HostFiles::makeFolder(const std::string& path, std::string& error)
{
    std::error_code failure;
    if (fs::create_directory(path, failure) || (!failure && fs::is_directory(path)))
        return true;
    error = "无法创建文件夹 (" + (failure ? failure.message() : std::string("已有同名文件")) + ")";
    return false;
}

bool HostFiles::moveReplacing(const std::string& from, const std::string& to, std::string& error)
{
    std::error_code failure;
    fs::rename(from, to, failure);
    if (!failure)
        return true;
    error = "无法替换文件 (" + failure.message() + ")";
    return false;
}

bool HostFiles::copyWithoutReplacing(const std::string& from, const std::string& to, std::string& error)
{
    std::error_code failure;
    if (fs::copy_file(from, to, fs::copy_options::none, failure))
        return true;
    error = "无法复制文件 (" + failure.message() + ")";
    return false;
}

bool HostFiles::flushToDisk(const std::string& path, std::string& error)
{
    const int file = open(path.c_str(), O_RDWR);
    const bool flushed = file >= 0 && fsync(file) == 0;
    if (!flushed)
        error = std::string("无法写入磁盘 (") + std::strerror(errno) + ")";
    if (file >= 0)
        close(file);
    return flushed;
}

bool HostFiles::moveWithoutReplacing(const std::string& from, const std::string& to, std::string& error)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    error = std::string("无法改名 (") + std::strerror(errno) + ")";
    return false;
}

bool HostFiles::remove(const std::string& path)
{
    std::error_code ignored;
    return fs::remove(path, ignored);
}

std::vector<std::string> HostFiles::backupNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (fs::directory_iterator it(folder, ignored), end; !ignored && it != end; it.increment(ignored)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file() && name.size() > 3 && strcasecmp(name.c_str() + name.size() - 3, ".bk") == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void FakeBoxes::notice(const std::string& text, NoticeType type)
{
    shown.push_back((type == NoticeType::Exclamation ? "notice! " : "notice? ") + text);
}

bool FakeBoxes::question(const std::string& text)
{
    shown.push_back("question " + text);
    return answer;
}

void FakeBoxes::plain(const std::string& text) { shown.push_back("plain " + text); }

std::vector<std::string> FakeBoxes::take() { return std::exchange(shown, {}); }

namespace {
const std::string kFakeProtectionMark = "fake-protected:";

std::string Scrambled(std::string bytes)
{
    for (char& c : bytes)
        c = static_cast<char>(c ^ 0x5A);
    return bytes;
}
} // namespace

std::string FakeProtector::protect(const std::string& bytes) { return kFakeProtectionMark + Scrambled(bytes); }

std::string FakeProtector::unprotect(const std::string& bytes)
{
    if (bytes.compare(0, kFakeProtectionMark.size(), kFakeProtectionMark) != 0)
        throw ProtectionError("not protected by this user");
    return Scrambled(bytes.substr(kFakeProtectionMark.size()));
}

#include "TestSupport.h"

#include "store/Schema.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

const HostCodec& Codec()
{
    static HostCodec codec;
    return codec;
}

std::string Gbk(const std::string& utf8) { return Codec().fromUtf8(utf8); }

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

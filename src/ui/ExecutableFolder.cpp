#include "ui/ExecutableFolder.h"

#include <windows.h>

std::string ExecutableFolder()
{
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string file = path;
    return file.substr(0, file.find_last_of('\\') + 1);
}

// Writes the delivered database: velmora-makedb [--empty] PATH
// PATH must not exist. Without --empty the database holds a few sample templates.
#include "store/Schema.h"
#include "store/StoreError.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    bool empty = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--empty") == 0)
            empty = true;
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: %s [--empty] PATH\n", argv[0]);
        return 2;
    }
    struct stat info;
    if (stat(path, &info) == 0) {
        std::fprintf(stderr, "%s exists already; refusing to overwrite it\n", path);
        return 1;
    }
    try {
        CreateDeliveredDatabase(path, empty ? std::vector<std::string>{} : SampleTemplates());
    } catch (const StoreError& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
        std::remove(path);
        return 1;
    }
    return 0;
}

#pragma once
#include "Platform.h"

#include <string>

// The import's named mutex (common/ImportMutex.h), held while a command writes DB.mdb: from the
// start of an import to its end, or a team connect or off; released however the command ends.
class ImportLock {
public:
    explicit ImportLock(Platform& platform) : platform_(platform) {}
    ~ImportLock()
    {
        if (held_)
            platform_.releaseImportLock();
    }
    ImportLock(const ImportLock&) = delete;
    ImportLock& operator=(const ImportLock&) = delete;

    bool take(std::string& error) { return held_ = platform_.takeImportLock(error); }

private:
    Platform& platform_;
    bool held_ = false;
};

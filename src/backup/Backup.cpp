#include "backup/Backup.h"

void BackupAtExit()
{
    // No backup policy yet: the close path calls this so the order of its steps is fixed.
}

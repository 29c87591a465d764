#pragma once

// The exit-time backup policy, run by the main window's close path.
void BackupAtExit();

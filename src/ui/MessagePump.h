#pragma once
// Lets the window messages waiting in this thread's queue through, for a caller that runs
// long inside a message handler. False when the program was told to end meanwhile (the
// quit is posted again for the loop that owns it). With `stopWhenSet`, it stops as soon as
// that flag is set by a message it handled (a reply the caller waits for).
bool ProcessPendingMessages(const bool* stopWhenSet = nullptr);

#pragma once
// Lets the window messages waiting in this thread's queue through, for a caller that runs
// long inside a message handler. False when the program was told to end meanwhile (the
// quit is posted again for the loop that owns it).
bool ProcessPendingMessages();

// Waiting for another process to do something, without blocking this thread's own windows.
#pragma once

#include <functional>

namespace wt {

// Polls `condition` every `pollMs` until it holds or `timeoutMs` has passed; returns the last
// result. Messages of the calling thread are dispatched while waiting.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs, unsigned pollMs = 50);

// Lets `ms` milliseconds pass, dispatching the calling thread's messages.
void Pause(unsigned ms);

} // namespace wt

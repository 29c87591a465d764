#include "common/FailureQueue.h"

bool FailureQueue::add(const std::string& text)
{
    // A paint that fails keeps failing the same way at every repaint: once is enough.
    if (!seen_.insert(text).second)
        return false;
    waiting_.push_back(text);
    return true;
}

bool FailureQueue::take(std::string& text)
{
    if (waiting_.empty())
        return false;
    text = waiting_.front();
    waiting_.pop_front();
    return true;
}

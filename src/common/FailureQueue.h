#pragma once
// Failures raised while a window paints wait here and are shown after the paint, each
// text once. A box shown from inside the paint would run its own message loop, which
// repaints the window, raises the same failure again and piles up boxes.
#include <deque>
#include <set>
#include <string>

class FailureQueue {
public:
    // A failure raised while painting. True when it is new and now waits to be shown.
    bool add(const std::string& text);
    // The next failure to show, taken off the queue; false when none waits.
    bool take(std::string& text);
    bool empty() const { return waiting_.empty(); }

private:
    std::deque<std::string> waiting_;
    std::set<std::string> seen_;
};

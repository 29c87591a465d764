#include "app/TypedSearch.h"

namespace {

// Windows' virtual-key codes of the keys the box hands on (portable code has no windows.h).
const unsigned kReturn = 0x0D, kEscape = 0x1B, kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23, kHome = 0x24, kUp = 0x26,
               kDown = 0x28;

} // namespace

SearchBoxKey RouteSearchBoxKey(unsigned virtualKey, bool ctrl, bool shift, bool alt)
{
    // With Alt a key belongs to the menus and the system.
    if (alt)
        return SearchBoxKey::Edit;
    switch (virtualKey) {
    case kUp:
    case kDown:
    case kPageUp:
    case kPageDown: return SearchBoxKey::MoveInList;
    // Shift with them extends the box's selection, as in any text box.
    case kHome:
    case kEnd: return ctrl && !shift ? SearchBoxKey::MoveInList : SearchBoxKey::Edit;
    case kReturn: return SearchBoxKey::Deliver;
    case kEscape: return SearchBoxKey::Hide;
    default: return SearchBoxKey::Edit;
    }
}

bool TypedSearch::textChanged()
{
    pending_ = true;
    // Composing text is in the box but not chosen: the wait starts when the composition ends.
    return !composing_;
}

void TypedSearch::compositionStarted() { composing_ = true; }

bool TypedSearch::compositionEnded()
{
    composing_ = false;
    return pending_;
}

bool TypedSearch::waitOver() { return pending_ && !composing_; }

void TypedSearch::searched() { pending_ = false; }

bool TypedSearch::gaveWay()
{
    pending_ = true;
    return !composing_;
}

bool TypedSearch::searchBeforeKey() { return pending_ && !composing_; }

void TypedSearch::dropPending() { pending_ = false; }

#pragma once
// The search box as the keyboard's way into the main list: which keys stay in the box and
// which act on the list, and when the text typed so far is searched.
//
// Searching follows the typing without a search per key: every change of the box's text
// asks for a search once the messages already waiting are handled; when a key is waiting
// then, a short wait (kTypingPauseMs) starts anew, and the window's timer message that ends it
// comes only once no input is waiting, so a burst of keys, however fast, is searched once.
// A search the next key interrupts gives way and runs again after it. An input method's
// composition is not searched: only the characters chosen from it, once it ends. A key that
// acts on the list (a move, Enter) first has the text typed before it searched, so that it
// acts on the rows that text lists.

// What a key pressed in the search box does.
enum class SearchBoxKey {
    Edit,       // the box's own (caret, selection, editing)
    MoveInList, // moves the list's selection: the key goes to the list, the caret stays
    Deliver,    // delivers the selected row as a double-click on it does
    Hide        // hides the window, delivering nothing
};

// `virtualKey` is the key's Windows virtual-key code; Home and End move in the list only
// with Ctrl (alone they move the caret in the box).
SearchBoxKey RouteSearchBoxKey(unsigned virtualKey, bool ctrl, bool shift, bool alt);

class TypedSearch {
public:
    // The box's text changed. True: (re)start the wait.
    bool textChanged();
    // An input method began or ended composing in the box. True: start the wait.
    void compositionStarted();
    bool compositionEnded();
    // The wait is over. True: search now.
    bool waitOver();
    // The search ran to its end.
    void searched();
    // The search gave way to a key that came meanwhile. True: start the wait again.
    bool gaveWay();
    // A key acts on the list. True: search the text first.
    bool searchBeforeKey();
    // The search icon or the show-all icon listed rows: the pending search is dropped.
    void dropPending();

    bool pending() const { return pending_; }

    // The wait while keys of a burst are waiting: the least a window timer waits.
    static const unsigned kTypingPauseMs = 10;

private:
    bool pending_ = false;   // the text changed since the list last showed its hits
    bool composing_ = false; // an input method is composing: its text is not chosen yet
};

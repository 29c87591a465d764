#include "app/TypedSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SearchBoxKeys, MovesEnterAndEscLeaveTheBoxTheRestStay)
{
    struct Case {
        unsigned key;
        bool ctrl, shift, alt;
        SearchBoxKey route;
    };
    const Case cases[] = {
        {0x26, false, false, false, SearchBoxKey::MoveInList}, // Up
        {0x28, false, false, false, SearchBoxKey::MoveInList}, // Down
        {0x21, false, false, false, SearchBoxKey::MoveInList}, // Page Up
        {0x22, true, false, false, SearchBoxKey::MoveInList},  // Ctrl+Page Down
        {0x24, false, false, false, SearchBoxKey::Edit},       // Home: the caret
        {0x23, false, true, false, SearchBoxKey::Edit},        // Shift+End: the box's selection
        {0x24, true, false, false, SearchBoxKey::MoveInList},  // Ctrl+Home: the first row
        {0x23, true, false, false, SearchBoxKey::MoveInList},  // Ctrl+End: the last row
        {0x23, true, true, false, SearchBoxKey::Edit},         // Ctrl+Shift+End: selects in the box
        {0x0D, false, false, false, SearchBoxKey::Deliver},    {0x1B, false, false, false, SearchBoxKey::Hide},
        {0x28, false, false, true, SearchBoxKey::Edit},  // Alt+Down: the system's
        {0x25, false, false, false, SearchBoxKey::Edit}, // Left
        {0x2E, false, false, false, SearchBoxKey::Edit}, // Delete
        {'Q', false, false, false, SearchBoxKey::Edit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteSearchBoxKey(c.key, c.ctrl, c.shift, c.alt), c.route)
            << std::hex << c.key << " ctrl " << c.ctrl << " shift " << c.shift << " alt " << c.alt;
}

// Each step is an event and what the window is told to do: "wait" (start the wait), "search",
// or "-" (nothing).
TEST(TypedSearch, SearchesOnceAfterABurstAndNeverWhileComposing)
{
    struct Case {
        const char* name;
        std::vector<std::string> steps; // event:answer
    };
    const Case cases[] = {
        {"a burst: each key restarts the wait, one search at its end",
         {"change:wait", "change:wait", "change:wait", "over:search", "done:-", "over:-"}},
        {"a search that gave way runs again after the key",
         {"change:wait", "over:search", "gaveway:wait", "over:search", "done:-"}},
        {"a move or Enter right after typing searches first, once",
         {"change:wait", "key:search", "done:-", "key:-", "over:-"}},
        {"a key with nothing typed acts at once", {"key:-"}},
        {"composing searches nothing; the chosen characters are searched when it ends",
         {"compose:-", "change:-", "change:-", "over:-", "key:-", "end:wait", "over:search", "done:-"}},
        {"a wait begun before composing ends without a search, and starts again after",
         {"change:wait", "compose:-", "over:-", "end:wait", "over:search"}},
        {"a composition cancelled without a change searches nothing", {"compose:-", "end:-", "over:-"}},
        {"the icons drop the pending search", {"change:wait", "icon:-", "over:-", "key:-"}},
    };
    for (const Case& c : cases) {
        TypedSearch typed;
        for (const std::string& step : c.steps) {
            const std::string event = step.substr(0, step.find(':'));
            const std::string expected = step.substr(step.find(':') + 1);
            std::string answer = "-";
            if (event == "change")
                answer = typed.textChanged() ? "wait" : "-";
            else if (event == "compose")
                typed.compositionStarted();
            else if (event == "end")
                answer = typed.compositionEnded() ? "wait" : "-";
            else if (event == "over")
                answer = typed.waitOver() ? "search" : "-";
            else if (event == "done")
                typed.searched();
            else if (event == "gaveway")
                answer = typed.gaveWay() ? "wait" : "-";
            else if (event == "key")
                answer = typed.searchBeforeKey() ? "search" : "-";
            else if (event == "icon")
                typed.dropPending();
            EXPECT_EQ(answer, expected) << c.name << ", at " << step;
            // The window searches when told to; here the search ends at once unless a step says otherwise.
            if (answer == "search" && event == "key")
                typed.searched();
        }
    }
}

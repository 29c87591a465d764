#include "app/AutoStart.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::string kHere = "C:\\Users\\李文\\AppData\\Local\\Programs\\Velmora\\Velmora.exe";
const std::string kSpaces = "D:\\客服 工具\\Velmora 1.0\\Velmora.exe";

} // namespace

TEST(AutoStart, EntryFoundAtStartIsKeptCorrectedOrLeftToItsCopy)
{
    struct Case {
        const char* name;
        std::optional<std::string> entry;
        std::string program;
        bool on, rewrite;
    };
    const std::string moved = "\"E:\\旧文件夹\\Velmora.exe\" /autostart";
    const Case cases[] = {
        {"no entry: off", std::nullopt, kHere, false, false},
        {"our own entry", AutoStartCommand(kHere), kHere, true, false},
        {"our own entry, spaces in the path", "\"D:\\客服 工具\\Velmora 1.0\\Velmora.exe\" /autostart", kSpaces, true,
         false},
        {"the same path in other letters and slashes",
         "\"c:/users/李文/appdata/local/programs/velmora/VELMORA.EXE\" /autostart", kHere, true, true},
        {"without the argument: a start at sign-in would show the window", "\"" + kHere + "\"", kHere, true, true},
        {"unquoted, as typed by hand", kHere + " /autostart", kHere, true, true},
        {"the folder moved: the old program is gone", moved, kHere, true, true},
        {"another copy that is still there owns it", "\"D:\\便携\\Velmora.exe\" /autostart", kHere, false, false},
        {"unquoted with spaces, its program gone: not cut at the first space",
         "D:\\客服 工具\\Velmora 1.0\\Velmora.exe /autostart", kHere, true, true},
        {"an empty value", std::string(), kHere, true, true},
    };
    const std::set<std::string> present = {"D:\\便携\\Velmora.exe", "D:\\客服"};
    for (const Case& c : cases) {
        const AutoStartFinding found =
            FindAutoStart(c.entry, c.program, [&](const std::string& path) { return present.count(path) > 0; });
        EXPECT_EQ(found.on, c.on) << c.name;
        EXPECT_EQ(found.rewrite, c.rewrite) << c.name;
    }
}

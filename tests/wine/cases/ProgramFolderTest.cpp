// The program folder: any folder the user unpacks Velmora into must work.
#include "Velmora.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;

TEST(ProgramFolder, StartsFromAFolderWithASemicolonOrCharactersOutsideTheCodePage)
{
    // "Ärger 한국" has no form in code page 936: the path must reach the database whole.
    for (const std::string name : {"客服;备用", "Ärger 한국"}) {
        Installation app({"第一条", "第二条"}, name);
        Velmora velmora(app.folder);
        ASSERT_TRUE(velmora.waitForMainWindow()) << name;
        EXPECT_EQ(velmora.listEntries(), (std::vector<std::string>{"第一条", "第二条"})) << name;
        velmora.quitWith(IDYES);
        EXPECT_TRUE(velmora.process().waitForExit(10000)) << name;
    }
}

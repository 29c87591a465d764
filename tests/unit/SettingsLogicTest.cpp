#include "TestSupport.h"

#include "settings/SettingsLogic.h"
#include "store/ConfigRecord.h"
#include "store/Connection.h"

#include <gtest/gtest.h>

namespace {

// Every field on one line, so that a difference shows which one.
std::string Describe(const TConfigRecord& r)
{
    return std::to_string(r.THotKeyInt) + " " + std::to_string(r.THotKeyItem) + " " + std::to_string(r.TTitleColor) +
           " " + std::to_string(r.TBGColor) + " " + std::to_string(r.TDifRowColor) + " " +
           std::to_string(r.TSelRowColor) + " " + std::to_string(r.TSelRowColorB) + " " + std::to_string(r.TSaveDB) +
           " " + std::to_string(r.TASaveDB) + " " + std::to_string(r.TSaveDay) + " " + FormatDateTime(r.TDeadDay);
}

} // namespace

class SettingsLogic : public ::testing::Test {
protected:
    void SetUp() override
    {
        conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
        conn.connect();
    }
    void set(const std::string& assignment) { conn.execute("update Tconfig set " + assignment + " where TID=1"); }
    TConfigRecord load()
    {
        TConfigRecord record;
        EXPECT_EQ(ReadConfigRecord(conn, record), ConfigLoad::Loaded);
        return record;
    }
    std::string storedRow() { return Describe(load()); }

    TempFolder folder;
    Connection conn;
    const DateTime now = ToDateTime({2026, 5, 4, 10, 30, 15});
};

TEST_F(SettingsLogic, LoadControlsShowsTheStoredRecord)
{
    set("THotKeyInt=67, THotKeyItem=9, TSaveDay=30, TSaveDB=1, TASaveDB=2, "
        "TTitleColor=1, TBGColor=2, TDifRowColor=3, TSelRowColor=5, TSelRowColorB=4");
    SettingsControls shown = LoadControls(load());
    EXPECT_EQ(shown.letterText, "C");
    EXPECT_EQ(shown.letterItem, 2); // from the letter, not from THotKeyItem
    EXPECT_EQ(shown.periodItem, 1);
    EXPECT_TRUE(shown.saveDb);
    EXPECT_FALSE(shown.askSaveDb); // only 1 means on
    for (int panel = 0; panel < 5; ++panel)
        EXPECT_EQ(shown.colours[panel], panel + 1) << "Panel" << panel + 1;

    set("THotKeyInt=200, TSaveDay=0, TSaveDB=2, TASaveDB=1");
    shown = LoadControls(load());
    EXPECT_EQ(shown.letterText, "\xC8");
    EXPECT_EQ(shown.letterItem, 0);
    EXPECT_EQ(shown.periodItem, 0); // "每周" for any period but a month
    EXPECT_FALSE(shown.saveDb);
    EXPECT_TRUE(shown.askSaveDb);

    // "恢复默认" puts back the colours and nothing else.
    const SettingsControls before = shown;
    RestoreDefaultColours(shown);
    const int defaults[5] = {0xFF8000, 0xFFFFFF, 0xF2E6E6, 0x0080FF, 0x9DCEFF};
    for (int panel = 0; panel < 5; ++panel)
        EXPECT_EQ(shown.colours[panel], defaults[panel]) << "Panel" << panel + 1;
    EXPECT_EQ(shown.letterText, before.letterText);
    EXPECT_EQ(shown.letterItem, before.letterItem);
    EXPECT_EQ(shown.saveDb, before.saveDb);
    EXPECT_EQ(shown.askSaveDb, before.askSaveDb);
    EXPECT_EQ(shown.periodItem, before.periodItem);
}

TEST_F(SettingsLogic, SaveWritesTheRowAndThenConfig)
{
    // Saving at once with backup ticked stores the same again and a new period start.
    set("THotKeyInt=67, THotKeyItem=2, TSaveDay=30, TSaveDB=1, TDeadDay='2020-01-01 00:00:00'");
    TConfigRecord config = load();
    ASSERT_EQ(SaveConfig(conn, config, LoadControls(config), now), SaveResult::Saved);
    EXPECT_EQ(storedRow(), "67 2 16744448 16777215 15918822 10342143 33023 1 0 30 2026-05-04 10:30:15");
    EXPECT_EQ(Describe(config), storedRow());

    // Colours land in their own columns; period 0 of a stored 0 becomes 7.
    set("TSaveDay=0");
    config = load();
    SettingsControls controls = LoadControls(config);
    for (int panel = 0; panel < 5; ++panel)
        controls.colours[panel] = 100 + panel; // Panel1..Panel5
    controls.askSaveDb = true;
    ASSERT_EQ(SaveConfig(conn, config, controls, now + 1), SaveResult::Saved);
    EXPECT_EQ(storedRow(), "67 2 100 101 102 104 103 1 1 7 2026-05-05 10:30:15");
    EXPECT_EQ(Describe(config), storedRow());

    // Unticked: TSaveDB 0, the stored period and stamp stay, but Config holds the new ones.
    controls.saveDb = false;
    controls.periodItem = 1;
    ASSERT_EQ(SaveConfig(conn, config, controls, now + 2), SaveResult::Saved);
    EXPECT_EQ(storedRow(), "67 2 100 101 102 104 103 0 1 7 2026-05-05 10:30:15");
    EXPECT_EQ(config.TSaveDay, 30);
    EXPECT_EQ(FormatDateTime(config.TDeadDay), "2026-05-06 10:30:15");

    // No period selected keeps the one Config has.
    controls.saveDb = true;
    controls.periodItem = -1;
    ASSERT_EQ(SaveConfig(conn, config, controls, now), SaveResult::Saved);
    EXPECT_EQ(load().TSaveDay, 30);
}

TEST_F(SettingsLogic, SaveAddsAMissingRow)
{
    conn.execute("delete from Tconfig");
    TConfigRecord config;
    SettingsControls controls = LoadControls(config);
    controls.letterText = "Q";
    controls.letterItem = 16;
    controls.saveDb = true;
    ASSERT_EQ(SaveConfig(conn, config, controls, now), SaveResult::Saved);
    Query query(conn);
    query.open("select * from Tconfig");
    EXPECT_EQ(query.recordCount(), 1);
    EXPECT_EQ(storedRow(), "81 16 16744448 16777215 15918822 10342143 33023 1 0 7 2026-05-04 10:30:15");
    EXPECT_EQ(Describe(config), storedRow());
}

TEST_F(SettingsLogic, TheLetterComesFromTheTextOrElseTheSelectedItem)
{
    TConfigRecord config = load();
    SettingsControls controls = LoadControls(config);

    controls.letterText = "DX"; // the first byte counts
    controls.letterItem = -1;
    ASSERT_EQ(SaveConfig(conn, config, controls, now), SaveResult::Saved);
    EXPECT_EQ(load().THotKeyInt, 'D');
    EXPECT_EQ(load().THotKeyItem, -1);

    for (const std::string& text : {std::string(), std::string("c"), std::string("1"), std::string("中")}) {
        controls.letterText = text;
        controls.letterItem = 5;
        ASSERT_EQ(SaveConfig(conn, config, controls, now), SaveResult::Saved) << text;
        EXPECT_EQ(load().THotKeyInt, 'F') << text;
        EXPECT_EQ(config.THotKeyInt, 'F') << text;
        set("THotKeyInt=65");
    }

    // No letter anywhere: nothing is stored, Config stays.
    const std::string before = storedRow();
    const std::string configBefore = Describe(config);
    for (int item : {-1, 26}) {
        controls.letterText = "";
        controls.letterItem = item;
        controls.colours[0] = 1;
        EXPECT_EQ(SaveConfig(conn, config, controls, now + 3), SaveResult::NoLetter) << item;
        EXPECT_EQ(storedRow(), before);
        EXPECT_EQ(Describe(config), configBefore);
    }
}

TEST_F(SettingsLogic, AFailedWriteLeavesConfigAsItWas)
{
    TConfigRecord config = load();
    const std::string configBefore = Describe(config);
    SettingsControls controls = LoadControls(config);
    controls.letterText = "Z";
    controls.colours[1] = 0x123456;
    controls.saveDb = true;
    conn.execute("create trigger refuse before update on Tconfig begin select raise(abort, 'refused'); end");
    EXPECT_THROW(SaveConfig(conn, config, controls, now), StoreError);
    EXPECT_EQ(Describe(config), configBefore);
    EXPECT_EQ(storedRow(), configBefore);
}

// A restart: the program ends and the next start reads the row afresh from the file.
class SettingsRestart : public SettingsLogic {
protected:
    std::string nextStart()
    {
        conn.disconnect();
        Connection fresh;
        fresh.setConnectionText(conn.connectionText());
        TConfigRecord record;
        if (ReadConfigRecord(fresh, record) != ConfigLoad::Loaded)
            return "no row for the start to read";
        return Describe(record);
    }
    void keylessTable()
    {
        conn.execute("create table T2 as select * from Tconfig");
        conn.execute("drop table Tconfig");
        conn.execute("alter table T2 rename to Tconfig");
    }
    SettingsControls changed()
    {
        SettingsControls controls = LoadControls(TConfigRecord());
        controls.letterText = "Q";
        controls.letterItem = 16;
        controls.colours[1] = 0x123456;
        controls.saveDb = true;
        return controls;
    }
};

TEST_F(SettingsRestart, TheNextStartReadsWhatTheSaveStored)
{
    // The row under another TID: the start finds none and runs on the defaults.
    conn.execute("update Tconfig set TID=5");
    TConfigRecord config;
    ASSERT_EQ(SaveConfig(conn, config, changed(), now), SaveResult::Saved);
    EXPECT_EQ(nextStart(), Describe(config));

    // A table made by another tool, TID no key and the row the start reads at row id 0.
    conn.execute("delete from Tconfig where TID<>1");
    keylessTable();
    conn.execute("update Tconfig set rowid=0");
    config = load();
    SettingsControls controls = changed();
    controls.letterText = "R";
    ASSERT_EQ(SaveConfig(conn, config, controls, now), SaveResult::Saved);
    EXPECT_EQ(nextStart(), Describe(config));
}

TEST_F(SettingsRestart, ASaveTheNextStartCannotReadIsAFailure)
{
    // Two rows with TID = 1: the start reads neither, so the save must not claim success.
    keylessTable();
    conn.execute("insert into Tconfig select * from Tconfig");
    TConfigRecord config;
    const std::string before = Describe(config);
    EXPECT_THROW(SaveConfig(conn, config, changed(), now), StoreError);
    EXPECT_EQ(Describe(config), before);
    Query rows(conn);
    rows.open("select * from Tconfig where THotKeyInt=81");
    EXPECT_EQ(rows.recordCount(), 0) << "the failed save left a change in the file";
}

#include "TestSupport.h"

#include "store/ConfigRecord.h"
#include "store/Connection.h"
#include "ui/StoreErrorText.h"

#include <gtest/gtest.h>

class ConfigLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        conn.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
        conn.connect();
    }
    void set(const std::string& assignment) { conn.execute("update Tconfig set " + assignment + " where TID=1"); }

    TempFolder folder;
    Connection conn;
    TConfigRecord record;
};

TEST_F(ConfigLoadTest, TheDeliveredRowHoldsTheDefaults)
{
    record.TBGColor = 1;
    ASSERT_EQ(ReadConfigRecord(conn, record), ConfigLoad::Loaded);
    const TConfigRecord defaults;
    EXPECT_EQ(record.THotKeyInt, 65);
    EXPECT_EQ(record.TTitleColor, 0xFF8000);
    EXPECT_EQ(record.TBGColor, defaults.TBGColor);
    EXPECT_EQ(record.TDifRowColor, 0xF2E6E6);
    EXPECT_EQ(record.TSelRowColor, 0x9DCEFF);
    EXPECT_EQ(record.TSelRowColorB, 0x0080FF);
    EXPECT_EQ(record.TSaveDB, 0);
    EXPECT_EQ(record.TDeadDay, 0);
}

TEST_F(ConfigLoadTest, ReadsStoredValues)
{
    set("THotKeyInt=67, THotKeyItem=2, TSaveDB=1, TSaveDay=7, TDeadDay='2026-11-30 10:00:00', TBGColor=''");
    ASSERT_EQ(ReadConfigRecord(conn, record), ConfigLoad::Loaded);
    EXPECT_EQ(record.THotKeyInt, 67);
    EXPECT_EQ(record.TSaveDay, 7);
    EXPECT_EQ(record.TBGColor, 0); // an empty value reads as 0
    EXPECT_EQ(FormatDateTime(record.TDeadDay), "2026-11-30 10:00:00");
}

TEST_F(ConfigLoadTest, NoRowOrTwoRowsKeepEveryValue)
{
    record.THotKeyInt = 70;
    conn.execute("update Tconfig set TID=2");
    EXPECT_EQ(ReadConfigRecord(conn, record), ConfigLoad::NotExactlyOneRow);
    EXPECT_EQ(record.THotKeyInt, 70);

    // Two rows with TID = 1 need a table without the key; rebuild it that way.
    conn.execute("create table T2 as select * from Tconfig");
    conn.execute("drop table Tconfig");
    conn.execute("alter table T2 rename to Tconfig");
    conn.execute("update Tconfig set TID=1");
    conn.execute("insert into Tconfig select * from Tconfig");
    EXPECT_EQ(ReadConfigRecord(conn, record), ConfigLoad::NotExactlyOneRow);
    EXPECT_EQ(record.THotKeyInt, 70);
}

TEST_F(ConfigLoadTest, AMissingColumnFailsAndKeepsTheFieldsReadBeforeIt)
{
    set("THotKeyInt=68");
    conn.execute("alter table Tconfig drop column TSelRowColor");
    try {
        ReadConfigRecord(conn, record);
        FAIL() << "no failure";
    } catch (const StoreError& e) {
        EXPECT_STREQ(StoreErrorText(e).c_str(), "找不到字段 TSelRowColor");
    }
    EXPECT_EQ(record.THotKeyInt, 68);
}

TEST_F(ConfigLoadTest, UnconvertibleValuesFail)
{
    set("TSaveDay='seven'");
    EXPECT_THROW(ReadConfigRecord(conn, record), StoreError);
    set("TSaveDay=7, TDeadDay='not a date'");
    try {
        ReadConfigRecord(conn, record);
        FAIL() << "no failure";
    } catch (const StoreError& e) {
        EXPECT_STREQ(StoreErrorText(e).c_str(), "字段 TDeadDay 的值 \"not a date\" 不是有效的日期时间");
    }
    set("TDeadDay='2026-12-07'");
    EXPECT_THROW(ReadConfigRecord(conn, record), StoreError);
    set("TDeadDay='', THotKeyInt=4294967296");
    EXPECT_THROW(ReadConfigRecord(conn, record), StoreError);
    set("THotKeyInt=' 66 '");
    EXPECT_EQ(ReadConfigRecord(conn, record), ConfigLoad::Loaded);
    EXPECT_EQ(record.THotKeyInt, 66);
}

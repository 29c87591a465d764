#include "store/ConfigRecord.h"

#include "store/Connection.h"

TConfigRecord Config;

ConfigLoad ReadConfigRecord(Connection& connection, TConfigRecord& record)
{
    Query query(connection);
    query.open("select * from Tconfig where TID=1");
    if (query.recordCount() != 1)
        return ConfigLoad::NotExactlyOneRow;
    record.THotKeyInt = query.fieldInt("THotKeyInt");
    record.THotKeyItem = query.fieldInt("THotKeyItem");
    record.TTitleColor = query.fieldInt("TTitleColor");
    record.TBGColor = query.fieldInt("TBGColor");
    record.TDifRowColor = query.fieldInt("TDifRowColor");
    record.TSelRowColor = query.fieldInt("TSelRowColor");
    record.TSelRowColorB = query.fieldInt("TSelRowColorB");
    record.TSaveDB = query.fieldInt("TSaveDB");
    record.TASaveDB = query.fieldInt("TASaveDB");
    record.TSaveDay = query.fieldInt("TSaveDay");
    record.TDeadDay = query.fieldDateTime("TDeadDay");
    return ConfigLoad::Loaded;
}

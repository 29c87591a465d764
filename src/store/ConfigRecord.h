#pragma once
// The user's settings: held in memory as `Config` and stored as the row TID = 1 of
// table Tconfig.
#include "common/DateTime.h"

class Connection;

struct TConfigRecord {
    int THotKeyInt = 65;          // letter code of the hotkey, 'A'..'Z'
    int THotKeyItem = 0;          // position in the settings' letter list; stored only
    int TTitleColor = 0xFF8000;   // start colour of the two gradient bands
    int TBGColor = 0xFFFFFF;      // rows with even index
    int TDifRowColor = 0xF2E6E6;  // rows with odd index
    int TSelRowColor = 0x9DCEFF;  // fill of the selected row
    int TSelRowColorB = 0x0080FF; // outline of the selected row
    int TSaveDB = 0;              // 1: periodic backup at exit
    int TASaveDB = 0;             // 1: ask for a backup at exit
    int TSaveDay = 0;             // backup period in days
    DateTime TDeadDay = 0;        // start of the current backup period
};

extern TConfigRecord Config;

enum class ConfigLoad { Loaded, NotExactlyOneRow };

// Reads the row TID = 1 into `record`, field by field in the stored order. With no
// such row, or more than one, nothing changes. A missing column or a value that does
// not convert throws StoreError; the fields read before it keep their new values.
ConfigLoad ReadConfigRecord(Connection& connection, TConfigRecord& record);

#pragma once
// The delivered database: both tables, the configuration row with its defaults, and
// optionally a few sample templates. The program itself never creates any of this.
#include <string>
#include <vector>

// Creates a new database file at `utf8Path` (which must not exist) with the tables
// TText and Tconfig and the row TID = 1. Throws StoreError on failure.
// `sampleTemplates` are UTF-8 texts inserted in order.
void CreateDeliveredDatabase(const std::string& utf8Path, const std::vector<std::string>& sampleTemplates);

// Whether the trigger `name` with the SQL `sql` (as sqlite_master holds them) is the one a
// delivered database has, which makes a new template list last. No other trigger is the program's.
bool IsDeliveredTrigger(const std::string& name, const std::string& sql);

// A few everyday replies, so a first start does not show an empty list.
const std::vector<std::string>& SampleTemplates();

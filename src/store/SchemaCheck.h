#pragma once
// Whether a database file's schema is one the program can work on, judged from sqlite_master
// and the engine's pragmas alone: a DB.mdb or a backup may come from any tool, and nothing the
// file holds runs while it is looked at. Used at start, by the restore's check and by
// `VelmoraDb check`.
#include <string>

class Database;

// The first object of the schema that would run SQL of its own when the program reads or
// writes: a view, a trigger other than the delivered one, an index on an expression or with a
// condition, or one of the program's tables made as a virtual table. A sentence naming its
// kind and name, empty when there is none. Tables and plain indexes a user added are fine.
// Throws StoreError when the schema cannot be read.
std::string ForeignSchemaObject(Database& database);

// ForeignSchemaObject, then the tables the program reads and their columns: TText and Tconfig
// always, the team library's TTeamText and TTeamConfig where present. More columns than the
// program reads are fine. A sentence, empty for a sound schema. Throws StoreError.
std::string SchemaFault(Database& database);

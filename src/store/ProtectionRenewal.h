#pragma once
// A desk's team connection protected the older way (Protector::outdated) is protected anew,
// the first time the program reads it. The new bytes are read back before they are stored,
// and they replace the stored ones in one transaction only while those are still the bytes
// read: a `team connect` in between wins, and no failure leaves the desk without a readable
// connection.
#include "common/Protector.h"
#include "store/Connection.h"

// True when the stored connection was renewed. Throws StoreError and ProtectionError; the
// stored bytes are then as they were.
bool RenewTeamConnectionProtection(Connection& desk, Protector& protector);

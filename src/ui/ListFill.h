#pragma once
#include "store/Connection.h"

#include <windows.h>

#include <string>
#include <vector>

// Appends the `column` text of every row of an open query to a list box. Redraw is
// off and storage reserved while it fills, so 10,000 rows stay quick.
void FillListFromQuery(HWND list, Query& query, const char* column);

// Replaces a list box's entries with `ansiRows` (system code page), redraw off meanwhile.
void FillList(HWND list, const std::vector<std::string>& ansiRows);

// The full text of a list entry, in the system code page; empty for no such entry.
std::string ListEntryText(HWND list, int index);

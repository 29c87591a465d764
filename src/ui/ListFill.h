#pragma once
#include "store/Connection.h"

#include <windows.h>

#include <string>
#include <vector>

// Appends the `column` text of every row to a list box as the rows are read, with
// redraw off meanwhile. When reading fails the list is left empty and the failure raised.
void FillListFromRows(HWND list, RowReader& rows, const char* column);

// Replaces a list box's entries with `utf8Rows`, redraw off meanwhile.
void FillList(HWND list, const std::vector<std::string>& utf8Rows);

// The full text of a list entry, in UTF-8; empty for no such entry.
std::string ListEntryText(HWND list, int index);

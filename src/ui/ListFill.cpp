#include "ui/ListFill.h"

void FillListFromQuery(HWND list, Query& query, const char* column)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(query.recordCount()), 0);
    for (; !query.eof(); query.next()) {
        const std::string entry = query.fieldText(column);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

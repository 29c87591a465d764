#pragma once
// The program's small pictures (title band, search row, tray, the template manager's tool bar and its
// saving notice), drawn from pixel maps kept in the source: no resources, no stock system icons.
#include "ui/Gdi.h"

#include <windows.h>

enum class Picture { Logo, Minimise, Close, SystemMenu, Search, ShowAll, Refresh, Add, Edit, Delete, Done };

// Draws the 17 × 17 picture with its top-left corner at (x, y); transparent pixels are left untouched.
void DrawPicture(HDC dc, Picture picture, int x, int y);
// Draws the 33 × 33 database drum of the "please wait, saving" notice the same way.
void DrawSavingPicture(HDC dc, int x, int y);
// The tray icon (16 × 16).
Icon CreateTrayIcon();
// The program's window icon (32 × 32 and small) built from the same map, for the about window/taskbar.
Icon CreateAppIcon(int size);

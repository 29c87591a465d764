#pragma once
// The program's small pictures (title band, search row, tray, the template manager's tool bar and its
// saving notice). Each is an image file under resources/pictures, compiled in through resources/Velmora.rc
// and found here by its resource name: no stock system icons.
#include "ui/Gdi.h"

#include <windows.h>

enum class Picture { Logo, Minimise, Close, SystemMenu, Search, ShowAll, Refresh, Add, Edit, Delete, Done };

// Draws the 17 × 17 picture with its top-left corner at (x, y), each pixel blended onto what lies below
// by its alpha; transparent pixels are left untouched. Draws nothing when the resource is missing.
void DrawPicture(HDC dc, Picture picture, int x, int y);
// Draws the 33 × 33 database drum of the "please wait, saving" notice the same way.
void DrawSavingPicture(HDC dc, int x, int y);
// The tray icon (16 × 16).
Icon CreateTrayIcon();
// The program's icon at `size` (the icon file holds 16 and 32), for the window, the taskbar and the about window.
Icon CreateAppIcon(int size);

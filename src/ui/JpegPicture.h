#pragma once
// JPEG pictures kept in the program's resources, decoded into bitmaps for painting.
#include "ui/Gdi.h"

#include <windows.h>

// The RCDATA resource `id` of this executable, decoded into a 24-bit bitmap of the picture's size.
// An empty Bitmap when the resource is missing or does not decode: callers then leave the area blank.
Bitmap LoadJpegResource(int id);

// Copies the whole bitmap to (x, y) on `dc`; does nothing for a null bitmap.
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

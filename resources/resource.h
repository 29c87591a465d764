#pragma once
// Resource numbers, shared by Velmora.rc and the code that loads the resources.
#define IDR_SETTINGS_ILLUSTRATION 101

#pragma once
// Resource numbers, shared by Velmora.rc and the code that loads the resources. The pictures under
// pictures/ go by name instead (PICTURE_..., VELMORA_ICON), the names Velmora.rc gives them.
#define IDR_SETTINGS_ILLUSTRATION 101

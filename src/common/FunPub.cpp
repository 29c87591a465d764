#include "common/FunPub.h"

std::string TrayHintText(int hotKeyInt)
{
    // The letter code is one byte of text; anything outside a byte shows as '?'.
    const char letter = hotKeyInt > 0 && hotKeyInt < 128 ? static_cast<char>(hotKeyInt) : '?';
    return std::string("打开程序快捷键 Ctrl+") + letter;
}

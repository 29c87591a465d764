#include "ui/AnsiCodec.h"

#include "ui/WinText.h"

#include <windows.h>

#include <stdexcept>

std::string AnsiCodec::toUtf8(const std::string& ansi) const
{
    if (!ansi.empty() &&
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0) == 0)
        throw std::runtime_error("文本含有系统代码页中无效的字符");
    return Utf8FromWide(WidenAnsi(ansi));
}

std::string AnsiCodec::fromUtf8(const std::string& utf8) const { return AnsiFromWide(Widen(utf8)); }

bool AnsiCodec::isLeadByte(unsigned char value) const { return IsDBCSLeadByte(value) != FALSE; }

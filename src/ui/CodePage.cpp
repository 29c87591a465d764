#include "ui/CodePage.h"

#include "ui/WinText.h"

#include <windows.h>

bool ToCodePage(const std::string& text, CodePageText& bytes)
{
    bytes.bytes.clear();
    const std::wstring wide = Widen(text);
    if (wide.empty())
        return true;
    // No best fit: a look-alike ('a' for 'ā') would change the reply without a word.
    BOOL lost = FALSE;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, &lost);
    if (size <= 0 || lost)
        return false;
    bytes.bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, bytes.bytes.data(), size, nullptr, nullptr);
    return true;
}

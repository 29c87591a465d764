#pragma once
// The one conversion into the system's code page, for the windows that are no Unicode
// windows and take their text as code-page bytes.
#include "common/CodePageText.h"

#include <string>

// The code page's bytes of the UTF-8 `text`; false when the code page cannot carry all of it
// (the system would put '?' or a look-alike in a character's place).
bool ToCodePage(const std::string& text, CodePageText& bytes);

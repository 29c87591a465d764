#pragma once
// The one rule for template text that comes from outside the agent's own typing: a CSV, a
// publish, a row from the team server, a database another tool wrote, the manager's memo.
// A refused character is one that would act instead of showing: a C0 or C1 control other
// than tab and the line breaks (backspace erases the agent's draft, Ctrl+V pastes the
// clipboard into the customer's window), or a bidirectional embedding, override or isolate
// mark (it makes a link show another host than the one it holds). Zero-width characters are
// only worth a warning; the zero-width joiner and variation selectors are part of emoji.
// All text is UTF-8.
#include <cstddef>
#include <string>

// The most a library may hold, for every path that takes templates from outside. Real
// libraries are tens of thousands of replies of a few thousand characters; these limits sit
// far above that and far below what would exhaust a 32-bit program.
inline constexpr size_t kMaxTemplateBytes = 64 * 1024;       // one template, UTF-8
inline constexpr size_t kMaxLibraryTemplates = 100000;       // templates in one library
inline constexpr size_t kMaxLibraryBytes = 64 * 1024 * 1024; // all of a library's text, UTF-8

// Whether the code point may not be part of a template.
bool IsRefusedCharacter(unsigned long code);
// Whether the code point is an invisible character worth a warning (U+200B, U+2060, U+FEFF).
bool IsZeroWidthCharacter(unsigned long code);

struct FoundCharacter {
    size_t at = std::string::npos; // byte offset in the text; npos when there is none
    unsigned long code = 0;
    explicit operator bool() const { return at != std::string::npos; }
};

// The first refused character of a UTF-8 text, or none. Bytes that start no whole UTF-8
// character are not characters and are left to the UTF-8 check.
FoundCharacter FindRefusedCharacter(const std::string& utf8);
// The first zero-width character of a UTF-8 text, or none.
FoundCharacter FindZeroWidthCharacter(const std::string& utf8);

// "U+001B", for messages.
std::string CodePointName(unsigned long code);

// A refused character as a message names it, with why it is refused: "控制字符 U+0008
// （模板中只能有制表符和换行）" or "双向文字控制符 U+202E（它使文字显示得与实际内容不同）".
std::string RefusedCharacterText(unsigned long code);

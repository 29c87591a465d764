#pragma once
// Text helpers shared by the windows: trimming, shortening and quoting. All text is UTF-8.
#include <string>

// Removes leading and trailing bytes below 33 (blanks, control characters, line breaks).
std::string TrimText(const std::string& text);

// Length in bytes of the UTF-8 character that starts at `pos`. A byte that starts no
// whole character stands alone, so every text can be walked character by character.
size_t CharacterLength(const std::string& text, size_t pos);

// The text, or its first `count` characters followed by "...". Characters (code points)
// are counted, not bytes: a character counts once and is never split.
std::string ShortenText(const std::string& text, int count);

// The line, from 1, that `offset` of `bytes` falls on; CR LF, LF and a lone CR each end a line.
int LineOf(const std::string& bytes, size_t offset);

// The code point and length in bytes of the well-formed UTF-8 character at `pos`. False for a
// byte that starts no whole character (an overlong form, a surrogate and values past U+10FFFF
// included); `length` is then 1, so a text can be walked past it.
bool DecodeUtf8At(const std::string& text, size_t pos, unsigned long& code, size_t& length);

// Number of characters (code points, not bytes) of a text.
int CharacterCount(const std::string& text);

// The UTF-16 code units of one UTF-8 character: one, or a surrogate pair (high first).
// A byte that starts no whole character gives U+FFFD, as the system shows it.
std::u16string Utf16Units(const std::string& character);

// Enclosed in `quote` characters with every `quote` inside doubled: the quoting of SQL
// literals, CSV fields and connection-string values alike.
std::string Enclosed(const std::string& text, char quote);

// Enclosed in single quotes with every single quote inside doubled.
std::string QuotedText(const std::string& text);

// A LIKE pattern that matches texts containing `text` as typed: '%', '_' and the
// escape character itself stand for themselves. Use with "escape '\'".
std::string ContainsPattern(const std::string& text);

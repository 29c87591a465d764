#pragma once
// Text helpers shared by the windows: trimming, shortening and quoting.
#include <string>
#include <vector>

class TextCodec;

// Removes leading and trailing bytes below 33 (blanks, control characters, line breaks).
std::string TrimText(const std::string& text);

// The text, or its first `count` characters followed by "...". Characters of the code
// page are counted, not bytes: a two-byte character counts once and is never split.
std::string ShortenText(const std::string& text, int count, const TextCodec& codec);

// Number of characters (not bytes) of an ANSI text.
int CharacterCount(const std::string& text, const TextCodec& codec);

// Number of characters of an ANSI text that its first `bytes` bytes hold whole: once
// typed that far, a lead byte without its trail byte is no character yet.
int CharactersWithin(const std::string& text, size_t bytes, const TextCodec& codec);

// Enclosed in `quote` characters with every `quote` inside doubled: the quoting of SQL
// literals, CSV fields and connection-string values alike.
std::string Enclosed(const std::string& text, char quote);

// Enclosed in single quotes with every single quote inside doubled.
std::string QuotedText(const std::string& text);

// A LIKE pattern that matches texts containing `text` as typed: '%', '_' and the
// escape character itself stand for themselves. Use with "escape '\'".
std::string ContainsPattern(const std::string& text);

// The characters of the UTF-8 `text` that the code page cannot carry (they would arrive
// as '?' or as a look-alike), each once, in order of first appearance, at most `limit`.
std::vector<std::string> CharactersOutsideCodePage(const std::string& text, const TextCodec& codec, size_t limit = 10);

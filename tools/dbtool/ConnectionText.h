#pragma once
// The ODBC connection text the team commands take: its values, whether it still lacks a
// password, and how the text and the password reach the tool without standing on the command
// line, where other processes can read them: "-" reads the text from standard input, and a
// text without a password has it asked for (on the console without echo). Texts are UTF-8.
#include <optional>
#include <string>
#include <utility>
#include <vector>

class Platform;

// The pairs "key=value" of an ODBC connection text in their order, separated by ';', a value
// in braces holding ';' and '}}' for '}'. Keys trimmed, values as written but for the braces.
std::vector<std::pair<std::string, std::string>> OdbcPairs(const std::string& text);

// The value of `key` (any letter case) in an ODBC connection text; the first pair of that key
// counts.
std::optional<std::string> OdbcValue(const std::string& text, const char* key);

// True when the text names no password (no Pwd= or Password= key, even an empty one) and no
// sign-in of the Windows user (Trusted_Connection=yes and the like): the server will ask for
// one that the text does not give.
bool NeedsPassword(const std::string& text);

// An ODBC value as written after "key=": in braces, with '}' doubled, when it holds ';', a
// brace, or blanks at either end that a driver would trim; as it is otherwise.
std::string OdbcQuoted(const std::string& value);

// The text with "Pwd=<password>;" added at its end, quoted as it needs.
std::string WithPassword(const std::string& text, const std::string& password);

// The connection text a team command was given: `argument` itself, or for "-" the first line
// of standard input. False, with the sentence why, when that line is missing or too long.
bool TakeConnectionText(const std::string& argument, Platform& platform, std::string& text, std::string& error);

// For a text that NeedsPassword(): asks for the password on the console without echo, or takes
// the next line of standard input when that is not a console, and adds it to `text`. An empty
// answer adds nothing (a data source may keep its own password). False, with the sentence why,
// when no answer can be had. The password is never shown.
bool CompletePassword(std::string& text, Platform& platform, std::string& error);

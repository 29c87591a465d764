#pragma once
// An ODBC connection text as the team library uses it, on the desk and in the database tool:
// its values, whether it still lacks a password, the password added, and the connection it
// names without the password (the cache belongs to that). Texts are UTF-8.
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The server named by an ODBC connection text, for people to read: its Server (or Host,
// Address, Addr) value, else its DSN; empty when it names none of them.
std::string TeamServerName(const std::string& connectionText);
// The connection a text names, without its password, the same however it is written (letter
// case of keys and of host and driver names, order, blanks, the several names of a key): a
// desk's cache belongs to it, so another database, user, port or driver is another library.
std::string TeamConnectionIdentity(const std::string& connectionText);
// Whether the text names the way to the server: a Driver or a DSN with a value.
bool NamesOdbcDriver(const std::string& connectionText);

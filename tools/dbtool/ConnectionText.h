#pragma once
// The ODBC connection text the team commands take: its values, whether it still lacks a
// password, and how the text and the password reach the tool without standing on the command
// line, where other processes can read them: "-" reads the text from standard input, and a
// text without a password has it asked for (on the console without echo). Texts are UTF-8.
#include "store/TeamConnectionText.h"

#include <string>

class Platform;

// The connection text a team command was given: `argument` itself, or for "-" the first line
// of standard input. False, with the sentence why, when that line is missing or too long.
bool TakeConnectionText(const std::string& argument, Platform& platform, std::string& text, std::string& error);

// For a text that NeedsPassword(): asks for the password on the console without echo, or takes
// the next line of standard input when that is not a console, and adds it to `text`. An empty
// answer adds nothing (a data source may keep its own password). False, with the sentence why,
// when no answer can be had. The password is never shown.
bool CompletePassword(std::string& text, Platform& platform, std::string& error);

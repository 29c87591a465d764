#pragma once
// What a search box asks of a template list, the main window's and the manager's alike.
#include "common/Text.h"

#include <string>
#include <utility>

enum class LoadMode { All, Search };

struct TemplateSearch {
    LoadMode mode;
    std::string text; // the text to look for (UTF-8); empty with LoadMode::All
};

// The typed text trimmed of leading and trailing blanks and control characters; a text
// of nothing else asks for every template, as the show-all icon does.
inline TemplateSearch SearchFor(const std::string& typed)
{
    std::string text = TrimText(typed);
    if (text.empty())
        return {LoadMode::All, {}};
    return {LoadMode::Search, std::move(text)};
}

#pragma once
// The rules a template meets on its way into a library, the same for import and for the team
// library's publish as for the template manager's add: an empty text is refused, a text the
// library holds already or that came earlier in the same batch is skipped. Texts are given
// already trimmed.
#include "common/Text.h"

#include <string>
#include <unordered_set>
#include <utility>

enum class Intake {
    Take,
    Empty,
    AlreadyThere, // the library held it before this batch
    Repeated,     // an earlier text of this batch
};

class TemplateIntake {
public:
    explicit TemplateIntake(std::unordered_set<std::string> existing = {}) : existing_(std::move(existing)) {}

    Intake take(const std::string& text)
    {
        if (TrimText(text).empty())
            return Intake::Empty;
        if (existing_.count(text))
            return Intake::AlreadyThere;
        return taken_.insert(text).second ? Intake::Take : Intake::Repeated;
    }

private:
    std::unordered_set<std::string> existing_;
    std::unordered_set<std::string> taken_;
};

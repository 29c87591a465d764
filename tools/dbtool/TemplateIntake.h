#pragma once
// The rules a template meets on its way into a library, the same for import and for the team
// library's publish as for the template manager's add: an empty text is refused, a text the
// library holds already or that came earlier in the same batch is skipped. Texts are given
// already trimmed.
#include "common/TemplateRule.h"
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

// The limits a library is held to (common/TemplateRule.h); the tests give smaller ones.
struct LibraryLimits {
    size_t templateBytes = kMaxTemplateBytes;
    size_t templates = kMaxLibraryTemplates;
    size_t libraryBytes = kMaxLibraryBytes;
};

enum class OverLimit { None, TemplateTooLong, TooManyTemplates, LibraryTooLarge };

// A library's templates counted as they are taken, from what it held already: the first text
// that takes it over a limit says which.
class LibraryTally {
public:
    explicit LibraryTally(const LibraryLimits& limits, size_t templates = 0, size_t bytes = 0)
        : limits_(limits), templates_(templates), bytes_(bytes)
    {
    }

    // Counts `text`, a template of the library.
    OverLimit take(const std::string& text)
    {
        if (text.size() > limits_.templateBytes)
            return OverLimit::TemplateTooLong;
        if (++templates_ > limits_.templates)
            return OverLimit::TooManyTemplates;
        bytes_ += text.size();
        return bytes_ > limits_.libraryBytes ? OverLimit::LibraryTooLarge : OverLimit::None;
    }

    // Why, in a sentence's words: "这条模板有 70000 字节，超过了一条模板最多的 65536 字节（64 KB）"
    // for a template of `bytes`.
    std::string reason(OverLimit over, size_t bytes) const
    {
        switch (over) {
        case OverLimit::TemplateTooLong:
            return "这条模板有 " + std::to_string(bytes) + " 字节，超过了一条模板最多的 " +
                   Amount(limits_.templateBytes);
        case OverLimit::TooManyTemplates:
            return "模板库到这里超过了最多的 " + std::to_string(limits_.templates) + " 条模板";
        case OverLimit::LibraryTooLarge: return "模板库的文字到这里超过了合计最多的 " + Amount(limits_.libraryBytes);
        case OverLimit::None: break;
        }
        return {};
    }

    // "65536 字节（64 KB）", "67108864 字节（64 MB）".
    static std::string Amount(size_t bytes)
    {
        std::string text = std::to_string(bytes) + " 字节";
        if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
            return text + "（" + std::to_string(bytes / (1024 * 1024)) + " MB）";
        if (bytes >= 1024 && bytes % 1024 == 0)
            return text + "（" + std::to_string(bytes / 1024) + " KB）";
        return text;
    }

private:
    LibraryLimits limits_;
    size_t templates_;
    size_t bytes_;
};

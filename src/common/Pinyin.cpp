#include "common/Pinyin.h"

#include "common/PinyinTable.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\''; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsLetter(char c)
{
    c = Lower(c);
    return c >= 'a' && c <= 'z';
}

// The code point at `at` in `text` and the bytes it takes; a broken sequence gives one byte of
// U+FFFD, which has no reading and breaks a run like any other such character.
char32_t Decode(std::string_view text, size_t& at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    int extra = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        ++at;
        return 0xFFFD;
    }
    if (at + static_cast<size_t>(extra) >= text.size()) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(at + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    at += static_cast<size_t>(extra) + 1;
    return code;
}

} // namespace

bool IsPinyinSearch(std::string_view text)
{
    // Separators stand between letters: "'s" is a search for an apostrophe and an s.
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty() || !IsLetter(text.front()) || !IsLetter(text.back()))
        return false;
    int letters = 0;
    for (char c : text) {
        if (IsSeparator(c))
            continue;
        if (!IsLetter(c) || ++letters > PinyinQuery::kMaxLetters)
            return false;
    }
    return letters > 0;
}

std::optional<PinyinQuery> PinyinQuery::From(std::string_view text)
{
    if (!IsPinyinSearch(text))
        return std::nullopt;
    PinyinQuery query;
    // Bit k: a separator stands before letter k, so no piece may run across it.
    std::uint64_t cuts = 0;
    for (char c : text) {
        if (IsSeparator(c)) {
            cuts |= std::uint64_t{1} << query.letters_.size();
            continue;
        }
        query.letters_.push_back(Lower(c));
    }
    query.count_ = static_cast<int>(query.letters_.size());

    // Where a piece may end, for every starting letter and syllable: built once per search, so
    // that each character of each text costs a table look-up per reading.
    const int syllables = pinyin_table::kSyllableCount;
    query.ends_.assign(static_cast<size_t>(query.count_) * static_cast<size_t>(syllables), 0);
    for (int j = 0; j < query.count_; ++j)
        for (int s = 0; s < syllables; ++s) {
            const char* syllable = pinyin_table::kSyllables[s];
            std::uint64_t ends = 0;
            const int length = static_cast<int>(std::strlen(syllable));
            // zh, ch and sh are initials of two letters, also given as one.
            const int initial = length > 1 && syllable[1] == 'h' && std::strchr("zcs", syllable[0]) ? 2 : 1;
            for (int p = 0; p < length && j + p < query.count_; ++p) {
                const int k = j + p;
                if (p > 0 && (cuts >> k & 1) != 0)
                    break;
                const char typed = query.letters_[static_cast<size_t>(k)];
                if (typed != syllable[p] && !(syllable[p] == 'v' && typed == 'u'))
                    break;
                // A piece is the whole syllable or its initial; only the last may stop anywhere.
                if (p + 1 == length || p + 1 <= initial || k + 1 == query.count_)
                    ends |= std::uint64_t{1} << (k + 1);
            }
            query.ends_[static_cast<size_t>(j) * static_cast<size_t>(syllables) + static_cast<size_t>(s)] = ends;
        }
    return query;
}

bool PinyinQuery::matches(std::string_view text) const
{
    const std::uint64_t done = std::uint64_t{1} << count_;
    const size_t syllables = static_cast<size_t>(pinyin_table::kSyllableCount);
    const std::uint64_t* fromFirst = ends_.data();
    // Bit j: a run ending at the last character read took the first j letters.
    std::uint64_t reached = 0;
    size_t at = 0;
    const size_t size = text.size();
    while (at < size) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::uint64_t next = 0;
        if (lead < 0x80) {
            ++at;
            const char letter = Lower(static_cast<char>(lead));
            if (letter >= 'a' && letter <= 'z') {
                // Every character may also start a run.
                for (std::uint64_t rest = reached | 1; rest != 0; rest &= rest - 1) {
                    const int j = __builtin_ctzll(rest);
                    if (letters_[static_cast<size_t>(j)] == letter)
                        next |= std::uint64_t{1} << (j + 1);
                }
            }
        } else {
            char32_t c;
            // The common case, a character of the basic plane, decoded in line.
            if ((lead & 0xF0) == 0xE0 && at + 2 < size && (static_cast<unsigned char>(text[at + 1]) & 0xC0) == 0x80 &&
                (static_cast<unsigned char>(text[at + 2]) & 0xC0) == 0x80) {
                c = static_cast<char32_t>((lead & 0x0F) << 12 | (static_cast<unsigned char>(text[at + 1]) & 0x3F) << 6 |
                                          (static_cast<unsigned char>(text[at + 2]) & 0x3F));
                at += 3;
            } else {
                c = Decode(text, at);
            }
            const unsigned short entry = pinyin_table::EntryOf(c);
            if (entry == 0) {
                reached = 0;
                continue;
            }
            if (reached == 0 && (entry & 0x8000) == 0) {
                // Most characters have one reading, and most runs have not begun.
                next = fromFirst[entry - 1];
            } else {
                pinyin_table::ForEachReading(c, [&](int s) {
                    for (std::uint64_t rest = reached | 1; rest != 0; rest &= rest - 1) {
                        const size_t j = static_cast<size_t>(__builtin_ctzll(rest));
                        next |= ends_[j * syllables + static_cast<size_t>(s)];
                    }
                });
            }
        }
        if ((next & done) != 0)
            return true;
        reached = next;
    }
    return false;
}

bool PinyinSearchRefines(std::string_view earlier, std::string_view later)
{
    if (earlier.size() > later.size() || !IsPinyinSearch(earlier) || !IsPinyinSearch(later))
        return false;
    for (size_t i = 0; i < earlier.size(); ++i)
        if (Lower(earlier[i]) != Lower(later[i]))
            return false;
    return true;
}

std::optional<LatinSearch> LatinSearch::From(std::string_view text)
{
    std::optional<PinyinQuery> query = PinyinQuery::From(text);
    if (!query)
        return std::nullopt;
    std::string folded(text);
    for (char& c : folded)
        c = Lower(c);
    return LatinSearch(std::move(folded), std::move(*query));
}

LatinHit LatinSearch::find(std::string_view text) const
{
    // The search is ASCII, and no byte of a longer UTF-8 sequence is: a match of bytes is a match
    // of characters. Found at the first letter's candidates, in either case.
    const size_t length = folded_.size();
    const char first = folded_[0];
    const char firstUpper = static_cast<char>(first - 'a' + 'A');
    for (size_t at = 0; at + length <= text.size(); ++at) {
        if (text[at] != first && text[at] != firstUpper)
            continue;
        size_t k = 1;
        while (k < length && Lower(text[at + k]) == folded_[k])
            ++k;
        if (k == length)
            return LatinHit::Literal;
    }
    return query_.matches(text) ? LatinHit::Pinyin : LatinHit::None;
}

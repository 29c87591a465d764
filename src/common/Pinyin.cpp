#include "common/Pinyin.h"

#include "common/PinyinTable.h"

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
            for (int p = 0; syllable[p] != '\0' && j + p < query.count_; ++p) {
                const int k = j + p;
                if (p > 0 && (cuts >> k & 1) != 0)
                    break;
                const char typed = query.letters_[static_cast<size_t>(k)];
                if (typed != syllable[p] && !(syllable[p] == 'v' && typed == 'u'))
                    break;
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
    // Bit j: a run ending at the last character read took the first j letters.
    std::uint64_t reached = 0;
    size_t at = 0;
    while (at < text.size()) {
        const char32_t c = Decode(text, at);
        // Every character may also start a run.
        const std::uint64_t from = reached | 1;
        std::uint64_t next = 0;
        if (c < 0x80) {
            const char letter = Lower(static_cast<char>(c));
            if (letter >= 'a' && letter <= 'z')
                for (std::uint64_t rest = from; rest != 0; rest &= rest - 1) {
                    const int j = __builtin_ctzll(rest);
                    if (j < count_ && letters_[static_cast<size_t>(j)] == letter)
                        next |= std::uint64_t{1} << (j + 1);
                }
        } else {
            pinyin_table::ForEachReading(c, [&](int s) {
                for (std::uint64_t rest = from; rest != 0; rest &= rest - 1) {
                    const size_t j = static_cast<size_t>(__builtin_ctzll(rest));
                    next |= ends_[j * syllables + static_cast<size_t>(s)];
                }
            });
        }
        if ((next & done) != 0)
            return true;
        reached = next;
    }
    return false;
}

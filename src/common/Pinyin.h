#pragma once
// The pinyin search: a search text of Latin letters read as the pinyin of consecutive Chinese
// characters, without tones.
//
// The letters are cut into pieces, one piece per character, each piece one of that character's
// readings (common/PinyinTable.h) whole ("nihao" 你好) or its initial ("nh"; "zh", "ch" and "sh"
// may be given as one letter or two), mixed freely ("qingsh", "nhao"). The last piece may be any
// start of a reading, as the search is typed: "qingsha" finds 请稍 on its way to "qingshao"; the
// pieces before it may not ("nihao" does not find 您好, nin hao). A character with several
// readings takes any of them (重 zhong or chong). ü is typed v or u (绿 lv or lu). A space or an
// apostrophe in the search text ends a piece there ("xi'an" is 西安, not 先). A Latin letter in
// the text stands for itself, one letter of the search ("vipkf" finds "VIP客服"); anything else
// (a digit, punctuation, a character without a reading) breaks the run. Letter case does not
// count.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class PinyinQuery {
public:
    // The longest search, in letters, read as pinyin (about a dozen syllables).
    static constexpr int kMaxLetters = 63;

    // The query `text` stands for: nothing when, spaces and apostrophes left out, it is not
    // ASCII letters only, or none, or more than kMaxLetters, or when an apostrophe stands
    // before the first letter or after the last.
    static std::optional<PinyinQuery> From(std::string_view text);
    // Whether `text` (UTF-8) holds a run of characters that reads as the query.
    bool matches(std::string_view text) const;

private:
    PinyinQuery() = default;

    int count_ = 0;       // letters
    std::string letters_; // lower case
    // For a piece starting at letter j read as syllable s: the bit of each letter where such a
    // piece can end (bit k: the piece took letters j..k-1), at [j * syllables + s].
    std::vector<std::uint64_t> ends_;
};

// Whether `text` is a search the pinyin reading applies to (PinyinQuery::From gives a query).
bool IsPinyinSearch(std::string_view text);

// Whether every text `later` finds (LatinSearch, literal or pinyin hit) is found by `earlier` as
// well, so that a search typed on from `earlier` need read only what it found. True when both are
// pinyin searches and `later` begins with `earlier`, letter case aside: a text holding `later` as
// typed holds `earlier`; a run of characters reading as `later` begins with one reading as
// `earlier`, since its piece where `earlier` ends, cut there, is still the start of a reading and
// the last piece may be that (the separators `earlier` has stand at the same letters in `later`).
// A text containing `later` elsewhere would not do: 好 reads "hao", not "ao".
bool PinyinSearchRefines(std::string_view earlier, std::string_view later);

// How a text is found by a search the pinyin reading applies to.
enum class LatinHit { None, Literal, Pinyin };

// Such a search over many texts, each read once: a text that holds the search as typed (letter
// case aside, as the database's LIKE compares ASCII letters; spaces and apostrophes as typed) is a
// literal hit, one that holds it only as pinyin (PinyinQuery) a pinyin hit.
class LatinSearch {
public:
    // Nothing when `text` is no pinyin search (IsPinyinSearch).
    static std::optional<LatinSearch> From(std::string_view text);
    LatinHit find(std::string_view text) const;

private:
    LatinSearch(std::string folded, PinyinQuery query) : folded_(std::move(folded)), query_(std::move(query)) {}

    std::string folded_; // the search as typed, lower case
    PinyinQuery query_;
};

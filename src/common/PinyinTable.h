#pragma once
// The Mandarin readings of the CJK ideographs, toneless, for the pinyin search. The build
// writes the data (PinyinTable.cpp in the build folder) with tools/pinyin/make-table.sh from
// Unicode's Unihan database; docs/pinyin.md says what it holds and under which licence.
//
// Everything here is constant data in the program's image: nothing is read or built at start,
// and its pages are touched only by a search that needs them.

namespace pinyin_table {

// The syllables in alphabetical order, each a NUL-terminated lower-case text of at most six
// letters ("a" .. "zuo"); ü is written v ("lv", "nve"). A syllable's id is its place here.
extern const int kSyllableCount;
extern const char kSyllables[][7];

// One entry per code point of U+3400..U+9FFF and of U+F900..U+FAFF: 0 for none, 1..0x7FFF for
// the one reading with id entry - 1, 0x8000 | p for several: kPool[p] is their count and the
// ids follow it.
extern const unsigned short kUnified[];
extern const unsigned short kCompatibility[];
extern const unsigned short kPool[];
// How many code points have a reading.
extern const int kCharacterCount;

constexpr char32_t kUnifiedFirst = 0x3400, kUnifiedLast = 0x9FFF;
constexpr char32_t kCompatibilityFirst = 0xF900, kCompatibilityLast = 0xFAFF;

inline unsigned short EntryOf(char32_t c)
{
    if (c >= kUnifiedFirst && c <= kUnifiedLast)
        return kUnified[c - kUnifiedFirst];
    if (c >= kCompatibilityFirst && c <= kCompatibilityLast)
        return kCompatibility[c - kCompatibilityFirst];
    return 0;
}

// Calls `f(id)` for each reading of `c`; returns how many there were.
template <class F>
int ForEachReading(char32_t c, F&& f)
{
    const unsigned short entry = EntryOf(c);
    if (entry == 0)
        return 0;
    if ((entry & 0x8000) == 0) {
        f(static_cast<int>(entry - 1));
        return 1;
    }
    const unsigned short* ids = kPool + (entry & 0x7FFF);
    const int count = ids[0];
    for (int i = 1; i <= count; ++i)
        f(static_cast<int>(ids[i]));
    return count;
}

} // namespace pinyin_table

#pragma once
// The texts of a list's rows in UTF-16, held for a list box that keeps only their count: the
// main list of 100,000 templates is emptied and filled again at every search, and a list box
// holding the texts itself spends most of that time on one message per row.
//
// The texts lie one after another in large blocks, so a fill makes a few allocations, not one
// per row, and grows without copying what it holds. Rows removed from the end give their room
// back; rows removed or inserted elsewhere (rare: another program's messages) leave room
// unused, which is taken back once it is more than what the rows use.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class TextRows {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    size_t size() const { return rows_.size(); }
    std::u16string_view at(size_t row) const { return rows_[row]; }

    // Every row goes, and the room they took.
    void clear();
    // Rows `count` and on go.
    void truncate(size_t count);
    void erase(size_t row);
    void insert(size_t row, std::u16string_view text);
    void append(std::u16string_view text);
    // The rows of `other` follow, taken over with the room they lie in (no text is copied);
    // `other` is left empty.
    void take(TextRows&& other);

    // Appending without a copy: room for a text of up to `maxUnits` units, then the row made
    // of the first `units` of them. Nothing else may come between the two.
    char16_t* beginAppend(size_t maxUnits);
    void endAppend(size_t units);

    // The first row after `after` whose text is exactly `text`, going on from the first row
    // past the last one (as a list box looks); kNone when no row has it.
    size_t findExact(std::u16string_view text, size_t after) const;

private:
    struct Block {
        std::unique_ptr<char16_t[]> units;
        size_t capacity = 0;
        size_t used = 0;
    };
    static bool EndsBlock(std::u16string_view text, const Block& block);
    char16_t* room(size_t units);
    void compactIfWasteful();

    std::vector<Block> blocks_;
    std::vector<std::u16string_view> rows_;
    size_t live_ = 0;   // units the rows take
    size_t unused_ = 0; // units of removed rows still taking room
};

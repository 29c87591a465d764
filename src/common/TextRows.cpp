#include "common/TextRows.h"

#include <algorithm>
#include <cstdint>

namespace {

// 256 KiB a block: a list of 100,000 replies takes about a hundred.
const size_t kBlockUnits = 128 * 1024;

} // namespace

bool TextRows::EndsBlock(std::u16string_view text, const Block& block)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(block.units.get());
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    return at >= begin && at + text.size() * sizeof(char16_t) == begin + block.used * sizeof(char16_t);
}

void TextRows::clear()
{
    rows_.clear();
    rows_.shrink_to_fit();
    blocks_.clear();
    unused_ = 0;
    live_ = 0;
}

void TextRows::truncate(size_t count)
{
    while (rows_.size() > count) {
        const std::u16string_view last = rows_.back();
        rows_.pop_back();
        // The last row written gives its room back to its block; any other stays unused.
        live_ -= last.size();
        if (!blocks_.empty() && EndsBlock(last, blocks_.back())) {
            blocks_.back().used -= last.size();
            if (blocks_.size() > 1 && blocks_.back().used == 0)
                blocks_.pop_back();
        } else {
            unused_ += last.size();
        }
    }
    if (rows_.empty())
        clear();
    else
        compactIfWasteful();
}

void TextRows::erase(size_t row)
{
    if (row + 1 == rows_.size()) {
        truncate(row);
        return;
    }
    unused_ += rows_[row].size();
    live_ -= rows_[row].size();
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    compactIfWasteful();
}

void TextRows::insert(size_t row, std::u16string_view text)
{
    char16_t* at = room(text.size());
    std::copy(text.begin(), text.end(), at);
    blocks_.back().used += text.size();
    live_ += text.size();
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(row, rows_.size())),
                 std::u16string_view(at, text.size()));
}

void TextRows::append(std::u16string_view text) { insert(rows_.size(), text); }

void TextRows::take(TextRows&& other)
{
    rows_.insert(rows_.end(), other.rows_.begin(), other.rows_.end());
    // Behind this one's blocks, so that the last row's block is the last block still.
    for (Block& block : other.blocks_)
        blocks_.push_back(std::move(block));
    live_ += other.live_;
    unused_ += other.unused_;
    other.clear();
}

char16_t* TextRows::beginAppend(size_t maxUnits) { return room(maxUnits); }

void TextRows::endAppend(size_t units)
{
    Block& block = blocks_.back();
    rows_.emplace_back(block.units.get() + block.used, units);
    block.used += units;
    live_ += units;
}

size_t TextRows::findExact(std::u16string_view text, size_t after) const
{
    const size_t count = rows_.size();
    const size_t start = after >= count ? 0 : after + 1;
    for (size_t i = 0; i < count; ++i) {
        const size_t row = (start + i) % count;
        if (rows_[row] == text)
            return row;
    }
    return kNone;
}

char16_t* TextRows::room(size_t units)
{
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < units) {
        // A text longer than a block has a block of its own.
        Block block;
        block.capacity = std::max(units, kBlockUnits);
        block.units = std::make_unique<char16_t[]>(block.capacity);
        blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    return block.units.get() + block.used;
}

void TextRows::compactIfWasteful()
{
    if (unused_ <= live_ || unused_ < kBlockUnits)
        return;
    TextRows compact;
    for (const std::u16string_view& row : rows_)
        compact.append(row);
    *this = std::move(compact);
}

#include "app/TeamRowsRefresh.h"

#include "ui/ListFill.h"
#include "ui/VirtualList.h"

namespace {

// How often a slice looks at the clock, in rows.
const size_t kRowsPerLook = 64;

} // namespace

void TeamRowsRefresh::begin(HWND list, TextRows& texts, int firstTeamRow, std::vector<std::string> rows)
{
    if (!active_)
        view_ = SaveListView(list);
    list_ = list;
    texts_ = &texts;
    firstTeamRow_ = firstTeamRow;
    rows_ = std::move(rows);
    next_ = 0;
    removing_ = true;
    active_ = true;
}

bool TeamRowsRefresh::step()
{
    if (!active_)
        return false;
    const ULONGLONG until = GetTickCount64() + kSliceMs;
    const auto sliceOver = [&](size_t done) { return done % kRowsPerLook == 0 && GetTickCount64() >= until; };
    {
        VirtualListFill fill(list_, *texts_);
        // The rows above the old team rows keep their places (and so do the rows of a
        // replacement begun again, which start where the old ones did).
        if (removing_)
            fill.truncate(static_cast<size_t>(firstTeamRow_));
        removing_ = false;
        while (next_ < rows_.size()) {
            fill.add(rows_[next_++]);
            if (sliceOver(next_))
                return true;
        }
    }
    // A team row selected went with the old rows; an own row is still selected where it was.
    RestoreListView(list_, view_);
    active_ = false;
    rows_.clear();
    rows_.shrink_to_fit();
    return false;
}

void TeamRowsRefresh::cancel()
{
    active_ = false;
    rows_.clear();
    rows_.shrink_to_fit();
}

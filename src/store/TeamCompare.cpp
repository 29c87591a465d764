#include "store/TeamCompare.h"

#include <unordered_map>

namespace {

// Current rows not matched yet, found by a key; each is matched at most once.
template <typename Key>
class Unmatched {
public:
    void add(const Key& key, size_t row) { rows_.emplace(key, row); }
    // The first current row with `key` still unmatched, or -1.
    long long take(const Key& key, std::vector<bool>& matched)
    {
        auto [from, to] = rows_.equal_range(key);
        for (auto it = from; it != to; ++it)
            if (!matched[it->second]) {
                matched[it->second] = true;
                return static_cast<long long>(it->second);
            }
        return -1;
    }

private:
    std::unordered_multimap<Key, size_t> rows_;
};

} // namespace

TeamComparison CompareVersions(const std::vector<TeamVersionRow>& current, std::vector<TeamVersionRow>& next,
                               TeamIdentity identity, long long lastTemplateNo)
{
    TeamComparison result;
    std::vector<bool> matched(current.size(), false);
    std::vector<long long> partner(next.size(), -1);
    Unmatched<long long> byKey;
    Unmatched<std::string> byText;
    for (size_t i = 0; i < current.size(); ++i) {
        if (identity == TeamIdentity::Numbered)
            byKey.add(current[i].templateNo, i);
        else if (identity == TeamIdentity::SourceId && current[i].sourceId != 0)
            byKey.add(current[i].sourceId, i);
        byText.add(current[i].text, i);
        if (current[i].templateNo > lastTemplateNo)
            lastTemplateNo = current[i].templateNo;
    }
    // Keys first, over all rows, so that a text match never takes a row an ID claims later.
    if (identity != TeamIdentity::Text)
        for (size_t j = 0; j < next.size(); ++j) {
            const long long key = identity == TeamIdentity::Numbered ? next[j].templateNo : next[j].sourceId;
            if (key != 0)
                partner[j] = byKey.take(key, matched);
        }
    if (identity != TeamIdentity::Numbered)
        for (size_t j = 0; j < next.size(); ++j)
            if (partner[j] < 0)
                partner[j] = byText.take(next[j].text, matched);
    for (size_t j = 0; j < next.size(); ++j) {
        if (partner[j] >= 0) {
            const TeamVersionRow& was = current[static_cast<size_t>(partner[j])];
            next[j].templateNo = was.templateNo;
            if (was.text != next[j].text)
                ++result.changed;
        } else if (identity == TeamIdentity::Numbered && next[j].templateNo != 0) {
            // A rollback brings back a template removed since: it keeps its number.
            ++result.added;
            if (next[j].templateNo > lastTemplateNo)
                lastTemplateNo = next[j].templateNo;
        } else {
            next[j].templateNo = ++lastTemplateNo;
            ++result.added;
        }
    }
    for (bool m : matched)
        if (!m)
            ++result.removed;
    result.lastTemplateNo = lastTemplateNo;
    return result;
}

std::vector<TeamDifference> DiffVersions(const std::vector<TeamVersionRow>& older,
                                         const std::vector<TeamVersionRow>& newer)
{
    std::unordered_map<long long, const TeamVersionRow*> before, after;
    for (const TeamVersionRow& row : older)
        before.emplace(row.templateNo, &row);
    for (const TeamVersionRow& row : newer)
        after.emplace(row.templateNo, &row);
    std::vector<TeamDifference> differences;
    for (const TeamVersionRow& row : newer) {
        const auto was = before.find(row.templateNo);
        if (was == before.end())
            differences.push_back({TeamDifference::Kind::Added, row.templateNo, "", row.text});
        else if (was->second->text != row.text)
            differences.push_back({TeamDifference::Kind::Changed, row.templateNo, was->second->text, row.text});
    }
    for (const TeamVersionRow& row : older)
        if (after.find(row.templateNo) == after.end())
            differences.push_back({TeamDifference::Kind::Removed, row.templateNo, row.text, ""});
    return differences;
}

#pragma once
// The main window's list of templates apart from its window: which rows a load, a search
// or show-all lists, and in which order. The rows are handed on one at a time as the
// database yields them and nothing else is kept here (a pinyin search keeps only its
// pinyin-only hits until the literal ones are listed): the window's list box holds them,
// and a list of 100,000 templates is never held twice. All text is UTF-8.
#include "store/Connection.h"
#include "templates/TemplateSearch.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where the listed rows go: the window's list box, or a test's record of them.
class ListedRows {
public:
    virtual ~ListedRows() = default;
    // Every row listed so far goes.
    virtual void clear() = 0;
    // One more row at the end; `text` is valid only during the call.
    virtual void add(std::string_view text) = 0;
    // The rows added from here on are the team library's (only on a desk that has one).
    virtual void teamRowsFollow() {}
    // A row kept back (a pinyin-only hit) to follow the rows added until addKeptBack, which
    // adds the rows kept so far in the order kept; `text` is valid only during the call. Like
    // add(), a place to give way to what the user does meanwhile.
    virtual void keepBack(std::string_view text) { kept_.emplace_back(text); }
    virtual void addKeptBack()
    {
        for (const std::string& text : kept_)
            add(text);
        kept_.clear();
    }
    // The rows kept back go without being added: the search ended early.
    virtual void dropKeptBack() { kept_.clear(); }

private:
    std::vector<std::string> kept_;
};

class TemplateList {
public:
    explicit TemplateList(Connection& connection) : connection_(connection) {}

    // LoadTemplates: empties `rows` and lists every template in stored order (All), or
    // the templates whose text contains `text` as typed ('%', '_' and '\' match
    // themselves) in stored order and then, when `text` is Latin letters, those that hold
    // it only as pinyin (common/Pinyin.h), in stored order too (Search). No row is listed
    // twice. When the query fails the rows are left empty and the failure is raised to the
    // caller.
    void LoadTemplates(LoadMode mode, const std::string& text, ListedRows& rows);
    // Image5Click with the search box's text: trimmed, and nothing left lists all.
    void Search(const std::string& typed, ListedRows& rows);
    // Every template, in stored order.
    void ShowAll(ListedRows& rows) { LoadTemplates(LoadMode::All, {}, rows); }
    // Lists again what the last load listed, a search with its text (after the rows changed
    // underneath, for example).
    void Reload(ListedRows& rows) { LoadTemplates(lastMode_, lastText_, rows); }
    // Only the team rows the last load would list now (after a check replaced the team's
    // cache): the desk's own rows above them are as they were.
    void ReloadTeamRows(ListedRows& rows);
    // Whether the last load was a search rather than every template.
    bool showsSearch() const { return lastMode_ == LoadMode::Search; }

    // On a desk with a team library every load lists the cached team templates after the
    // desk's own, in the server's order (a search the same way: the team's literal hits, then
    // its pinyin hits).
    void setTeamLibrary(bool team)
    {
        team_ = team;
        kept_ = {};
    }
    bool teamLibrary() const { return team_; }

    // What a search of Latin letters found in one table, kept for the next search if it only
    // refines this one (PinyinSearchRefines): that one reads only these rows and those this one
    // did not reach (it may have given way to a key part-way).
    struct Found {
        std::uint32_t read = 0;          // how many rows it read, in stored order
        std::vector<std::uint32_t> hits; // the places in stored order of the rows it found
    };

private:
    struct KeptSearch {
        bool valid = false;
        std::string text;
        std::string stamp; // the database as it was then (ChangeStamp)
        Found own, team;
    };

    void listTeamRows(LoadMode mode, const std::string& text, ListedRows& rows, const Found* before, Found* found);

    Connection& connection_;
    bool team_ = false;
    LoadMode lastMode_ = LoadMode::All;
    std::string lastText_;
    KeptSearch kept_;
};

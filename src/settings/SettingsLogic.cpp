#include "settings/SettingsLogic.h"

#include "common/FunPub.h"
#include "store/Connection.h"

namespace {

constexpr int kLetterCount = 26; // ComboBox1 lists "A" to "Z"
constexpr int kWeekly = 7;       // ComboBox2 item 0, "每周"
constexpr int kMonthly = 30;     // ComboBox2 item 1, "每月"

bool IsListedLetter(int code) { return code >= 'A' && code <= 'Z'; }

// The hotkey letter the save stores, or 0 when there is none. The list's edit part takes
// no typed character, but Delete or its context menu can still empty it or put anything
// in it; then the selected item says which letter the user meant.
int ChosenLetter(const SettingsControls& controls)
{
    if (!controls.letterText.empty()) {
        const int code = static_cast<unsigned char>(controls.letterText[0]);
        if (IsListedLetter(code))
            return code;
    }
    if (controls.letterItem >= 0 && controls.letterItem < kLetterCount)
        return 'A' + controls.letterItem;
    return 0;
}

// The fields a save wrote, as the start reads them; the stamp counts to the second, as stored.
bool SameStoredValues(const TConfigRecord& stored, const TConfigRecord& saved, bool withBackupPeriod)
{
    const bool same = stored.THotKeyInt == saved.THotKeyInt && stored.THotKeyItem == saved.THotKeyItem &&
                      stored.TTitleColor == saved.TTitleColor && stored.TBGColor == saved.TBGColor &&
                      stored.TDifRowColor == saved.TDifRowColor && stored.TSelRowColor == saved.TSelRowColor &&
                      stored.TSelRowColorB == saved.TSelRowColorB && stored.TSaveDB == saved.TSaveDB &&
                      stored.TASaveDB == saved.TASaveDB;
    if (!same || !withBackupPeriod)
        return same;
    return stored.TSaveDay == saved.TSaveDay && FormatDateTime(stored.TDeadDay) == FormatDateTime(saved.TDeadDay);
}

} // namespace

SettingsControls LoadControls(const TConfigRecord& config)
{
    SettingsControls controls;
    controls.colours[0] = config.TTitleColor;
    controls.colours[1] = config.TBGColor;
    controls.colours[2] = config.TDifRowColor;
    controls.colours[3] = config.TSelRowColorB;
    controls.colours[4] = config.TSelRowColor;

    // The edit part shows the one character of that code. A code that is no character
    // (0, or beyond a byte) leaves it empty, and a save then takes the selected item.
    if (config.THotKeyInt > 0 && config.THotKeyInt < 256)
        controls.letterText = std::string(1, static_cast<char>(config.THotKeyInt));
    // A listed letter selects its item; anything else leaves the list on its first item,
    // where a new dialog starts.
    controls.letterItem = IsListedLetter(config.THotKeyInt) ? config.THotKeyInt - 'A' : 0;

    controls.saveDb = config.TSaveDB == 1;
    controls.askSaveDb = config.TASaveDB == 1;
    // Any period but a month shows the list's first item, "每周".
    controls.periodItem = config.TSaveDay == kMonthly ? 1 : 0;
    return controls;
}

void RestoreDefaultColours(SettingsControls& controls)
{
    const TConfigRecord defaults;
    controls.colours[0] = defaults.TTitleColor;
    controls.colours[1] = defaults.TBGColor;
    controls.colours[2] = defaults.TDifRowColor;
    controls.colours[3] = defaults.TSelRowColorB;
    controls.colours[4] = defaults.TSelRowColor;
}

SaveResult SaveConfig(Connection& connection, TConfigRecord& config, const SettingsControls& controls, DateTime now)
{
    const int letter = ChosenLetter(controls);
    if (letter == 0)
        return SaveResult::NoLetter;

    // The new values go into a copy first: should the row not be written, the running
    // program must not follow settings that the file never got.
    TConfigRecord updated = config;
    updated.THotKeyInt = letter;
    updated.THotKeyItem = controls.letterItem;
    updated.TTitleColor = controls.colours[0];
    updated.TBGColor = controls.colours[1];
    updated.TDifRowColor = controls.colours[2];
    updated.TSelRowColor = controls.colours[4];
    updated.TSelRowColorB = controls.colours[3];
    updated.TSaveDB = controls.saveDb ? 1 : 0;
    updated.TASaveDB = controls.askSaveDb ? 1 : 0;
    if (controls.periodItem == 0)
        updated.TSaveDay = kWeekly;
    else if (controls.periodItem == 1)
        updated.TSaveDay = kMonthly;
    updated.TDeadDay = now;

    // The write and its check land together or not at all.
    Transaction transaction(connection);
    EditableRow row(connection, "Tconfig", "TID=1");
    row.open();
    row.edit();
    // A row kept under another TID is not the one the start reads: the new row must be.
    if (!row.found())
        row.setInt("TID", 1);
    row.setInt("THotKeyInt", updated.THotKeyInt);
    row.setInt("THotKeyItem", updated.THotKeyItem);
    row.setInt("TTitleColor", updated.TTitleColor);
    row.setInt("TBGColor", updated.TBGColor);
    row.setInt("TDifRowColor", updated.TDifRowColor);
    row.setInt("TSelRowColor", updated.TSelRowColor);
    row.setInt("TSelRowColorB", updated.TSelRowColorB);
    row.setInt("TSaveDB", updated.TSaveDB);
    row.setInt("TASaveDB", updated.TASaveDB);
    // Only a save with automatic backup ticked starts a new backup period; unticked, the
    // stored period and stamp stay as they were.
    if (controls.saveDb) {
        row.setInt("TSaveDay", updated.TSaveDay);
        row.setDateTime("TDeadDay", updated.TDeadDay);
    }
    row.post();

    // Read the row back as the next start will: a table another tool made (TID no key,
    // two rows under TID 1) can take the write and still give the start something else.
    TConfigRecord stored;
    if (ReadConfigRecord(connection, stored) != ConfigLoad::Loaded ||
        !SameStoredValues(stored, updated, controls.saveDb))
        throw StoreError(Texts::kSettingsNotReadBack);
    transaction.commit();

    config = updated;
    return SaveResult::Saved;
}

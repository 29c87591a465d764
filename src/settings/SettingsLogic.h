#pragma once
// What the settings dialog (`TSysFrm`) does apart from its window: how `Config` shows in
// its controls, the restore-defaults button, and the save.
#include "common/DateTime.h"
#include "store/ConfigRecord.h"

#include <string>

class Connection;

// What the dialog's controls hold.
struct SettingsControls {
    std::string letterText; // ComboBox1's text, UTF-8
    int letterItem = 0;     // ComboBox1's selected position; -1 none. Items are "A".."Z".
    int colours[5] = {};    // Panel1..Panel5: TTitleColor, TBGColor, TDifRowColor, TSelRowColorB, TSelRowColor
    bool saveDb = false;    // CheckBox1
    bool askSaveDb = false; // CheckBox2
    int periodItem = 0;     // ComboBox2's selected position: 0 "每周", 1 "每月", -1 none
};

// `LoadControls`: the controls as they show `config` in a newly opened dialog.
SettingsControls LoadControls(const TConfigRecord& config);

// The five default colours ("恢复默认", `BitBtn2Click`), in panel order; nothing else changes.
void RestoreDefaultColours(SettingsControls& controls);

enum class SaveResult { Saved, NoLetter };

// `SaveConfig`: writes the Tconfig row TID = 1 from the controls (a missing row is added
// as TID 1) and reads it back as the start does. `config` takes the new values only once
// the start would read them: a failed write, or a row that does not read back, throws
// StoreError and leaves `config` and the file as they were. NoLetter: the letter text holds no letter
// and no item is selected; nothing is stored and `config` is unchanged.
SaveResult SaveConfig(Connection& connection, TConfigRecord& config, const SettingsControls& controls, DateTime now);

// The settings page (設定): tool paths and the general FFmpeg options. Its controls are the live
// store of the settings while the program runs: a run reads them once when its button is
// pressed, and status.ini is loaded into them at start and saved from them at the end.
#pragma once

#include "ui/win32.h"

#include <cstddef>

#include "settings/run_settings.h"
#include "settings/settings_store.h"
#include "ui/dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// Lets the user pick the tool of button 1001, 1003 or 1005 with the open-file dialog and shows the
// chosen path in the text beside it (the button's id - 1). Cancelling changes nothing.
void PickToolPath(HWND page, int button);

// The check box of entry `entry` of SettingsBoxes(); a box with a value list has it at the id + 1.
int SettingsBoxId(std::size_t entry);

// The stored paths, boxes and list items into the settings page's controls, and back.
void ShowStoredSettings(Dialog& settings, const StoredSettings& stored);
void KeepStoredSettings(Dialog& settings, StoredSettings* stored);

// What a run started on `page` takes from the settings page: the tool paths (the alternative
// FFmpeg while the convert page's "別FFmpegを使う" is checked), the argument of each checked general
// option, and the boxes about its files. The power-off is the starting page's to add.
RunSettings ReadRunSettings(HWND page);

}  // namespace clipwright::ui

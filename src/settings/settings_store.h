// The user's settings in status.ini beside the executable: loaded into the page controls once at
// start-up, saved from them once at shutdown.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/dialog.h"
#include "platform/profile.h"

namespace clipwright {

// The concat list is no file of this kind: it is written beside the listed files, so an
// input.txt beside the executable is a user's own and is left alone.
struct SettingsFiles {
  std::string settings;    // status.ini
  std::string error_list;  // error.txt, deleted at start-up
};

// The two files beside the executable.
SettingsFiles SettingsPaths();
// The same names in another folder (ending in a separator); for tests.
SettingsFiles SettingsPathsIn(const std::string& folder);

// The platform's WINDOWPLACEMENT record, its length field set to 44.
using WindowPlacementBytes = std::array<std::uint8_t, 44>;

// Loads every key into the controls of the four pages, then deletes error.txt.
// Returns true when a window placement was stored (it is then in *placement); centring the window
// otherwise is the caller's. A stored record whose length field is not 44 counts as none.
// Texts are read as a buffer of PATH_CAPACITY holds them.
bool LoadSettings(const SettingsFiles& files, Dialog& settings, Dialog& split, Dialog& separate, Dialog& volume,
                  WindowPlacementBytes* placement);
void SaveSettings(const SettingsFiles& files, Dialog& settings, Dialog& split, Dialog& separate, Dialog& volume,
                  const WindowPlacementBytes& placement);

// A plain check box under its caption; any number but 0 checks it, a missing key clears it.
void LoadCheck(Dialog& page, int box, std::string_view section, const platform::Profile& file);
// "<caption> check" into the box and "<caption> combo" (or `combo_default`) into the list at box + 1.
// An index outside the list (-1 for none included) loads as `combo_default`: a checked option
// without a value would break every command.
void LoadCheckCombo(Dialog& page, int box, std::string_view section, int combo_default, const platform::Profile& file);
void SaveCheck(Dialog& page, int box, std::string_view section, platform::Profile& file);
void SaveCheckCombo(Dialog& page, int box, std::string_view section, platform::Profile& file);

}  // namespace clipwright

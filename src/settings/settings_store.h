// The user's settings in status.ini beside the executable, as one record: loaded once at
// start-up (the window puts it into its controls), saved once at shutdown.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One check box, and for a box with a value list the item chosen (-1: none).
struct StoredBox {
  bool checked = false;
  int choice = -1;
};

struct StoredSettings {
  // None: nothing usable was stored; the window is centred then.
  std::optional<WindowPlacementBytes> placement;
  std::string ffmpeg_path;
  std::string alt_ffmpeg_path;
  std::string aacgain_path;
  std::vector<StoredBox> boxes;  // one per entry of SettingsBoxes(), in that order
  bool split_at_keyframes = false;
  bool split_by_frame = false;
  bool separate_audio_only = false;
  std::string target_level = "100.0";  // as the volume page shows it; read as a number when used
  bool volume_audio_only = false;
};

// Every key, or its default: a box unchecked, a list at its default item (also for an index past
// the end of the list; one saved with nothing chosen comes back so), the target level "100.0". Texts are read as a buffer of PATH_CAPACITY holds them. Then deletes
// error.txt. A stored placement whose length field is not 44 counts as none.
StoredSettings LoadSettings(const SettingsFiles& files);
void SaveSettings(const SettingsFiles& files, const StoredSettings& settings);

}  // namespace clipwright

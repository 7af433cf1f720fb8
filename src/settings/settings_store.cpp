#include "settings/settings_store.h"

#include <string>

#include "common/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "settings/settings_lists.h"

namespace clipwright {
namespace {

constexpr std::string_view kSection = "setting";
constexpr std::string_view kPlacementKey = "WindowPlacement";
constexpr std::string_view kTargetKey = "Target dB";
constexpr std::string_view kTargetDefault = "100.0";

struct PathKey {
  int id;
  std::string_view key;
};
constexpr PathKey kPathKeys[] = {
    {IDC_FFMPEG_PATH, "FFmpeg Path"},
    {IDC_ALT_FFMPEG_PATH, "AltFFmpeg Path"},
    {IDC_AACGAIN_PATH, "AACGain Path"},
};

// The list paired with a box (its id + 1), or null for a plain box.
const SettingsList* ListOf(const SettingsBox& box) {
  for (const SettingsList& list : SettingsLists()) {
    if (list.id == box.id + 1) return &list;
  }
  return nullptr;
}

std::string CheckKey(const std::string& caption) { return caption + " check"; }
std::string ComboKey(const std::string& caption) { return caption + " combo"; }

// A leftover from an earlier run; a folder of that name is not the program's and stays.
void DeleteLeftover(const std::string& path) {
  if (path.empty() || !platform::PathExists(path) || platform::IsDirectory(path)) return;
  platform::DeleteFileForced(path);  // failure is of no consequence at start-up
}

// A placement is usable only with the length field that SetWindowPlacement insists on.
bool HasPlacementLength(const WindowPlacementBytes& bytes) {
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = (length << 8) | bytes[i];
  return length == bytes.size();
}

}  // namespace

SettingsFiles SettingsPaths() { return SettingsPathsIn(platform::ProgramFolder()); }

SettingsFiles SettingsPathsIn(const std::string& folder) {
  return SettingsFiles{folder + "status.ini", folder + "error.txt"};
}

void LoadCheck(Dialog& page, int box, std::string_view section, const platform::Profile& file) {
  const std::string caption = page.Text(box);
  if (caption.empty()) return;  // no such box: nothing to look up
  // Any number but 0 checks the box, as the platform's check box takes it.
  page.SetChecked(box, file.GetInt(section, caption, 0) != 0);
}

void LoadCheckCombo(Dialog& page, int box, std::string_view section, int combo_default, const platform::Profile& file) {
  const std::string caption = page.Text(box);
  if (caption.empty()) return;
  page.SetChecked(box, file.GetInt(section, CheckKey(caption), 0) != 0);
  const int index = file.GetInt(section, ComboKey(caption), combo_default);
  page.SetComboIndex(box + 1, index >= 0 && index < page.ComboCount(box + 1) ? index : combo_default);
}

void SaveCheck(Dialog& page, int box, std::string_view section, platform::Profile& file) {
  const std::string caption = page.Text(box);
  if (caption.empty()) return;  // a nameless key could never be told apart
  file.WriteString(section, caption, page.IsChecked(box) ? "1" : "0");
}

void SaveCheckCombo(Dialog& page, int box, std::string_view section, platform::Profile& file) {
  const std::string caption = page.Text(box);
  if (caption.empty()) return;
  file.WriteString(section, CheckKey(caption), page.IsChecked(box) ? "1" : "0");
  file.WriteString(section, ComboKey(caption), std::to_string(page.ComboIndex(box + 1)));
}

bool LoadSettings(const SettingsFiles& files, Dialog& settings, Dialog& split, Dialog& separate, Dialog& volume,
                  WindowPlacementBytes* placement) {
  const platform::Profile file(files.settings);

  WindowPlacementBytes stored{};
  const bool placed = file.GetStruct(kSection, kPlacementKey, stored.data(), stored.size()) &&
                      HasPlacementLength(stored);
  if (placed && placement != nullptr) *placement = stored;

  for (const PathKey& path : kPathKeys) {
    settings.SetText(path.id, file.GetString(kSection, path.key, "", PATH_CAPACITY));
  }
  for (const SettingsBox& box : SettingsBoxes()) {
    if (const SettingsList* list = ListOf(box)) {
      LoadCheckCombo(settings, box.id, kSection, list->default_index, file);
    } else {
      LoadCheck(settings, box.id, kSection, file);
    }
  }
  // The two pages update the controls that depend on these boxes.
  LoadCheck(split, IDC_SPLIT_AT_KEYFRAMES, kSection, file);
  split.SendCommand(IDC_SPLIT_AT_KEYFRAMES);
  LoadCheck(separate, IDC_SEPARATE_AUDIO_ONLY, kSection, file);
  separate.SendCommand(IDC_SEPARATE_AUDIO_ONLY);

  // Kept as text; the volume job reads the number when it runs.
  volume.SetText(IDC_VOLUME_TARGET, file.GetString(kSection, kTargetKey, kTargetDefault, PATH_CAPACITY));
  LoadCheck(volume, IDC_VOLUME_AUDIO_ONLY, kSection, file);

  DeleteLeftover(files.error_list);
  return placed;
}

void SaveSettings(const SettingsFiles& files, Dialog& settings, Dialog& split, Dialog& separate, Dialog& volume,
                  const WindowPlacementBytes& placement) {
  // Write failures are not reported: there is no one to tell while the window closes.
  platform::Profile file(files.settings);
  file.WriteStruct(kSection, kPlacementKey, placement.data(), placement.size());
  for (const PathKey& path : kPathKeys) file.WriteString(kSection, path.key, settings.Text(path.id));
  for (const SettingsBox& box : SettingsBoxes()) {
    if (ListOf(box) != nullptr) {
      SaveCheckCombo(settings, box.id, kSection, file);
    } else {
      SaveCheck(settings, box.id, kSection, file);
    }
  }
  SaveCheck(split, IDC_SPLIT_AT_KEYFRAMES, kSection, file);
  SaveCheck(separate, IDC_SEPARATE_AUDIO_ONLY, kSection, file);
  file.WriteString(kSection, kTargetKey, volume.Text(IDC_VOLUME_TARGET));
  SaveCheck(volume, IDC_VOLUME_AUDIO_ONLY, kSection, file);
}

}  // namespace clipwright

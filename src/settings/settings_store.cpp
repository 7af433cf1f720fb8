#include "settings/settings_store.h"

#include <string>

#include "common/limits.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "settings/settings_lists.h"

namespace clipwright {
namespace {

constexpr std::string_view kSection = "setting";
constexpr std::string_view kPlacementKey = "WindowPlacement";
constexpr std::string_view kTargetKey = "Target dB";
constexpr std::string_view kTargetDefault = "100.0";
constexpr std::string_view kFfmpegKey = "FFmpeg Path";
constexpr std::string_view kAltFfmpegKey = "AltFFmpeg Path";
constexpr std::string_view kAacgainKey = "AACGain Path";

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

// Any number but 0 checks a box, as the platform's check box takes it.
bool LoadCheck(const platform::Profile& file, const std::string& key) { return file.GetInt(kSection, key, 0) != 0; }

const char* Flag(bool checked) { return checked ? "1" : "0"; }

}  // namespace

SettingsFiles SettingsPaths() { return SettingsPathsIn(platform::ProgramFolder()); }

SettingsFiles SettingsPathsIn(const std::string& folder) {
  return SettingsFiles{folder + "status.ini", folder + "error.txt"};
}

StoredSettings LoadSettings(const SettingsFiles& files) {
  const platform::Profile file(files.settings);
  StoredSettings settings;

  WindowPlacementBytes stored{};
  if (file.GetStruct(kSection, kPlacementKey, stored.data(), stored.size()) && HasPlacementLength(stored)) {
    settings.placement = stored;
  }
  settings.ffmpeg_path = file.GetString(kSection, kFfmpegKey, "", PATH_CAPACITY);
  settings.alt_ffmpeg_path = file.GetString(kSection, kAltFfmpegKey, "", PATH_CAPACITY);
  settings.aacgain_path = file.GetString(kSection, kAacgainKey, "", PATH_CAPACITY);
  for (const SettingsBox& box : SettingsBoxes()) {
    StoredBox loaded;
    const std::string caption = box.caption;
    if (box.list < 0) {
      loaded.checked = LoadCheck(file, caption);
    } else {
      const SettingsList& list = SettingsLists()[static_cast<std::size_t>(box.list)];
      loaded.checked = LoadCheck(file, CheckKey(caption));
      // A list saved with nothing chosen (-1) comes back so; an index past its end is no item of
      // it, and the list takes its default.
      const int index = file.GetInt(kSection, ComboKey(caption), list.default_index);
      loaded.choice = index >= -1 && index < static_cast<int>(list.items.size()) ? index : list.default_index;
    }
    settings.boxes.push_back(loaded);
  }
  settings.split_at_keyframes = LoadCheck(file, kSplitAtKeyframesCaption);
  settings.split_by_frame = LoadCheck(file, kSplitByFrameCaption);
  settings.separate_audio_only = LoadCheck(file, kSeparateAudioOnlyCaption);
  // Kept as text; the volume job reads the number when it runs.
  settings.target_level = file.GetString(kSection, kTargetKey, kTargetDefault, PATH_CAPACITY);
  settings.volume_audio_only = LoadCheck(file, kVolumeAudioOnlyCaption);

  DeleteLeftover(files.error_list);
  return settings;
}

void SaveSettings(const SettingsFiles& files, const StoredSettings& settings) {
  // Write failures are not reported: there is no one to tell while the window closes.
  platform::Profile file(files.settings);
  if (settings.placement) file.WriteStruct(kSection, kPlacementKey, settings.placement->data(), settings.placement->size());
  file.WriteString(kSection, kFfmpegKey, settings.ffmpeg_path);
  file.WriteString(kSection, kAltFfmpegKey, settings.alt_ffmpeg_path);
  file.WriteString(kSection, kAacgainKey, settings.aacgain_path);
  const std::vector<SettingsBox>& boxes = SettingsBoxes();
  for (std::size_t i = 0; i < boxes.size() && i < settings.boxes.size(); ++i) {
    const std::string caption = boxes[i].caption;
    const StoredBox& box = settings.boxes[i];
    if (boxes[i].list < 0) {
      file.WriteString(kSection, caption, Flag(box.checked));
    } else {
      file.WriteString(kSection, CheckKey(caption), Flag(box.checked));
      file.WriteString(kSection, ComboKey(caption), std::to_string(box.choice));
    }
  }
  file.WriteString(kSection, kSplitAtKeyframesCaption, Flag(settings.split_at_keyframes));
  file.WriteString(kSection, kSplitByFrameCaption, Flag(settings.split_by_frame));
  file.WriteString(kSection, kSeparateAudioOnlyCaption, Flag(settings.separate_audio_only));
  file.WriteString(kSection, kTargetKey, settings.target_level);
  file.WriteString(kSection, kVolumeAudioOnlyCaption, Flag(settings.volume_audio_only));
}

}  // namespace clipwright

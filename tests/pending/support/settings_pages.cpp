#include "support/settings_pages.h"

#include "common/control_ids.h"
#include "settings/settings_lists.h"

namespace clipwright::testing {

const std::vector<SettingsBoxSpec>& SettingsPageBoxes() {
  static const std::vector<SettingsBoxSpec> boxes = [] {
    std::vector<SettingsBoxSpec> specs;
    for (const SettingsBox& box : SettingsBoxes()) {
      SettingsBoxSpec spec{box.id, box.caption, {}};
      for (const SettingsList& list : SettingsLists()) {
        if (list.id == box.id + 1) spec.items = list.items;
      }
      specs.push_back(std::move(spec));
    }
    return specs;
  }();
  return boxes;
}

StoredPages::StoredPages() {
  // The lists are filled, but nothing is selected yet.
  for (const SettingsBoxSpec& spec : SettingsPageBoxes()) {
    settings.SetText(spec.box, spec.caption);
    if (!spec.items.empty()) settings.AddCombo(spec.box + 1, spec.items);
  }
  for (int button : {IDC_FFMPEG_PICK, IDC_ALT_FFMPEG_PICK, IDC_AACGAIN_PICK}) settings.SetText(button, "開く...");
  split.SetText(IDC_SPLIT_AT_KEYFRAMES, "キーフレームで全分割");
  separate.SetText(IDC_SEPARATE_AUDIO_ONLY, "音声のみ抽出");
  volume.SetText(IDC_VOLUME_AUDIO_ONLY, "音声のみ");
  volume.SetText(IDC_VOLUME_TARGET, "");
}

}  // namespace clipwright::testing

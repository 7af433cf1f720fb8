// The settings page's option boxes and their drop-down lists, in the order the page shows them,
// and the captions the other stored boxes are kept under. A box's caption is also its key in
// status.ini (and, on the settings page, its FFmpeg argument).
#pragma once

#include <string>
#include <vector>

namespace clipwright {

struct SettingsList {
  std::vector<std::string> items;  // in order
  int default_index;               // the item chosen when status.ini holds nothing
};

// The eight lists in the order they are filled: those of "-threads", "-strict", "-deadline",
// "-cpu-used", "-look_ahead_depth", "-vf transpose", "-map_chapters" and "-map_metadata".
const std::vector<SettingsList>& SettingsLists();

struct SettingsBox {
  const char* caption;  // the box's caption, which is also its FFmpeg argument
  int list = -1;        // its list in SettingsLists(), or -1 for a plain box
};

// Every check box of the settings page with its caption, in key order: the eighteen general
// options, then "ID3タグ削除 [MP3のみ]", "コマンドログ作成" and "一時ファイルを作成する".
const std::vector<SettingsBox>& SettingsBoxes();
inline constexpr int kStripTagsBox = 18;
inline constexpr int kCommandLogBox = 19;
inline constexpr int kTempCopiesBox = 20;

// The captions of the stored boxes of the other pages.
inline constexpr const char* kSplitAtKeyframesCaption = "キーフレームで全分割";
inline constexpr const char* kSplitByFrameCaption = "フレーム単位";
inline constexpr const char* kSeparateAudioOnlyCaption = "音声のみ抽出";
inline constexpr const char* kVolumeAudioOnlyCaption = "音声のみ";

}  // namespace clipwright

#include "settings/settings_lists.h"

namespace clipwright {
namespace {

std::vector<std::string> Numbers(int first, int last, int step) {
  std::vector<std::string> items;
  for (int value = first; value <= last; value += step) items.push_back(std::to_string(value));
  return items;
}

}  // namespace

const std::vector<SettingsList>& SettingsLists() {
  static const std::vector<SettingsList> lists = {
      {{"0", "1", "2", "4", "6", "8", "10", "14", "18", "20", "22", "24", "26", "28"}, 0},
      {{"very", "strict", "normal", "unofficial", "experimental"}, 2},
      {{"best", "good", "realtime"}, 0},
      {Numbers(-8, 8, 1), 8},
      {Numbers(0, 100, 10), 0},
      {{"1", "2", "3", "0"}, 0},
      {{"-1", "0"}, 0},
      {{"-1", "0"}, 0},
  };
  return lists;
}

const std::vector<SettingsBox>& SettingsBoxes() {
  static const std::vector<SettingsBox> boxes = {
      {"-y"},
      {"-n"},
      {"-threads", 0},
      {"-strict", 1},
      {"-deadline", 2},
      {"-cpu-used", 3},
      {"-row-mt 1"},
      {"-look_ahead 1"},
      {"-look_ahead_depth", 4},
      {"-b:v 0"},
      {"-vf transpose", 5},
      {"-movflags faststart"},
      {"-flags +loop-global_header"},
      {"-bsf h264_mp4toannexb"},
      {"-segment_format mpegts"},
      {"-map_chapters", 6},
      {"-map_metadata", 7},
      {"-fflags +bitexact -flags:v +bitexact -flags:a +bitexact"},
      {"ID3タグ削除 [MP3のみ]"},
      {"コマンドログ作成"},
      {"一時ファイルを作成する"},
  };
  return boxes;
}

}  // namespace clipwright

#include "settings/settings_lists.h"

#include "common/control_ids.h"

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
      {IDC_OPT_THREADS_LIST, {"0", "1", "2", "4", "6", "8", "10", "14", "18", "20", "22", "24", "26", "28"}, 0},
      {IDC_OPT_STRICT_LIST, {"very", "strict", "normal", "unofficial", "experimental"}, 2},
      {IDC_OPT_DEADLINE_LIST, {"best", "good", "realtime"}, 0},
      {IDC_OPT_CPU_USED_LIST, Numbers(-8, 8, 1), 8},
      {IDC_OPT_LOOK_AHEAD_DEPTH_LIST, Numbers(0, 100, 10), 0},
      {IDC_OPT_TRANSPOSE_LIST, {"1", "2", "3", "0"}, 0},
      {IDC_OPT_MAP_CHAPTERS_LIST, {"-1", "0"}, 0},
      {IDC_OPT_MAP_METADATA_LIST, {"-1", "0"}, 0},
  };
  return lists;
}

const std::vector<SettingsBox>& SettingsBoxes() {
  static const std::vector<SettingsBox> boxes = {
      {IDC_OPT_Y, "-y"},
      {IDC_OPT_N, "-n"},
      {IDC_OPT_THREADS, "-threads"},
      {IDC_OPT_STRICT, "-strict"},
      {IDC_OPT_DEADLINE, "-deadline"},
      {IDC_OPT_CPU_USED, "-cpu-used"},
      {IDC_OPT_ROW_MT, "-row-mt 1"},
      {IDC_OPT_LOOK_AHEAD, "-look_ahead 1"},
      {IDC_OPT_LOOK_AHEAD_DEPTH, "-look_ahead_depth"},
      {IDC_OPT_BV0, "-b:v 0"},
      {IDC_OPT_TRANSPOSE, "-vf transpose"},
      {IDC_OPT_FASTSTART, "-movflags faststart"},
      {IDC_OPT_LOOP_GLOBAL_HEADER, "-flags +loop-global_header"},
      {IDC_OPT_ANNEXB, "-bsf h264_mp4toannexb"},
      {IDC_OPT_SEGMENT_MPEGTS, "-segment_format mpegts"},
      {IDC_OPT_MAP_CHAPTERS, "-map_chapters"},
      {IDC_OPT_MAP_METADATA, "-map_metadata"},
      {IDC_OPT_BITEXACT, "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact"},
      {IDC_OPT_STRIP_ID3, "ID3タグ削除 [MP3のみ]"},
      {IDC_COMMAND_LOG, "コマンドログ作成"},
      {IDC_TEMP_COPIES, "一時ファイルを作成する"},
  };
  return boxes;
}

}  // namespace clipwright

#include "support/settings_pages.h"

#include "common/control_ids.h"

namespace clipwright::testing {
namespace {

std::vector<std::string> Steps(int first, int last, int step) {
  std::vector<std::string> items;
  for (int value = first; value <= last; value += step) items.push_back(std::to_string(value));
  return items;
}

}  // namespace

const std::vector<SettingsBoxSpec>& SettingsPageBoxes() {
  static const std::vector<SettingsBoxSpec> boxes = {
      {IDC_OPT_Y, "-y", {}},
      {IDC_OPT_N, "-n", {}},
      {IDC_OPT_THREADS, "-threads", {"0", "1", "2", "4", "6", "8", "10", "14", "18", "20", "22", "24", "26", "28"}},
      {IDC_OPT_STRICT, "-strict", {"very", "strict", "normal", "unofficial", "experimental"}},
      {IDC_OPT_DEADLINE, "-deadline", {"best", "good", "realtime"}},
      {IDC_OPT_CPU_USED, "-cpu-used", Steps(-8, 8, 1)},
      {IDC_OPT_ROW_MT, "-row-mt 1", {}},
      {IDC_OPT_LOOK_AHEAD, "-look_ahead 1", {}},
      {IDC_OPT_LOOK_AHEAD_DEPTH, "-look_ahead_depth", Steps(0, 100, 10)},
      {IDC_OPT_BV0, "-b:v 0", {}},
      {IDC_OPT_TRANSPOSE, "-vf transpose", {"1", "2", "3", "0"}},
      {IDC_OPT_FASTSTART, "-movflags faststart", {}},
      {IDC_OPT_LOOP_GLOBAL_HEADER, "-flags +loop-global_header", {}},
      {IDC_OPT_ANNEXB, "-bsf h264_mp4toannexb", {}},
      {IDC_OPT_SEGMENT_MPEGTS, "-segment_format mpegts", {}},
      {IDC_OPT_MAP_CHAPTERS, "-map_chapters", {"-1", "0"}},
      {IDC_OPT_MAP_METADATA, "-map_metadata", {"-1", "0"}},
      {IDC_OPT_BITEXACT, "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact", {}},
      {IDC_OPT_STRIP_ID3, "ID3タグ削除 [MP3のみ]", {}},
      {IDC_COMMAND_LOG, "コマンドログ作成", {}},
      {IDC_TEMP_COPIES, "一時ファイルを作成する", {}},
  };
  return boxes;
}

void FillSettingsPage(FakeDialog& page) {
  for (const SettingsBoxSpec& spec : SettingsPageBoxes()) {
    page.SetText(spec.box, spec.caption);
    if (!spec.items.empty()) page.AddCombo(spec.box + 1, spec.items);
  }
  for (int button : {IDC_FFMPEG_PICK, IDC_ALT_FFMPEG_PICK, IDC_AACGAIN_PICK}) page.SetText(button, "開く...");
}

StoredPages::StoredPages() {
  FillSettingsPage(settings);
  split.SetText(IDC_SPLIT_AT_KEYFRAMES, "キーフレームで全分割");
  separate.SetText(IDC_SEPARATE_AUDIO_ONLY, "音声のみ抽出");
  volume.SetText(IDC_VOLUME_AUDIO_ONLY, "音声のみ");
  volume.SetText(IDC_VOLUME_TARGET, "");
}

}  // namespace clipwright::testing

#include "jobs/convert_options.h"

#include "common/control_ids.h"
#include "jobs/option_lists.h"

namespace clipwright {
namespace {

// The item text of a selection; empty for "指定なし", no selection or an index past the list.
std::string ItemText(int combo_id, int index) {
  const OptionList* list = FindOptionList(combo_id);
  if (list == nullptr || index <= 0 || index >= static_cast<int>(list->items.size())) return {};
  return list->items[static_cast<std::size_t>(index)];
}

// `prefix` + the selected item, only when an item past "指定なし" is selected.
void AppendSelected(std::string& text, std::string_view prefix, int combo_id, int index) {
  const std::string item = ItemText(combo_id, index);
  if (item.empty()) return;
  text += prefix;
  text += item;
}

constexpr int kAacIndex = 9;
constexpr int kCopyIndex = 1;

void AppendVideoArguments(const ConvertOptions& o, std::string& text) {
  const std::string codec = ItemText(IDC_CONVERT_VCODEC, o.video_codec);
  if (codec.empty()) return;
  text += " -vcodec " + codec;
  // A stream copy takes no encoder settings.
  if (o.video_codec == kCopyIndex) return;
  AppendSelected(text, " -preset ", IDC_CONVERT_PRESET, o.preset);
  AppendSelected(text, " -tune ", IDC_CONVERT_TUNE, o.tune);
  AppendSelected(text, " -profile:v ", IDC_CONVERT_VPROFILE, o.video_profile);
  AppendSelected(text, " -level ", IDC_CONVERT_LEVEL, o.level);
  AppendSelected(text, " ", IDC_CONVERT_VQUALITY, o.video_quality);  // the item is a whole argument
  AppendSelected(text, " -r ", IDC_CONVERT_FRAME_RATE, o.frame_rate);
  if (!ItemText(IDC_CONVERT_FRAME_SIZE, o.frame_size).empty()) {
    AppendSelected(text, " -s ", IDC_CONVERT_FRAME_SIZE, o.frame_size);
    text += " -sws_flags lanczos";
  }
  AppendSelected(text, " -aspect ", IDC_CONVERT_ASPECT, o.aspect);
  AppendSelected(text, " -pix_fmt ", IDC_CONVERT_PIX_FMT, o.pixel_format);
}

void AppendAudioArguments(const ConvertOptions& o, std::string& text) {
  const std::string codec = ItemText(IDC_CONVERT_ACODEC, o.audio_codec);
  if (codec.empty()) return;
  text += " -c:a " + codec;
  if (o.audio_codec == kAacIndex) text += " -aac_coder twoloop";
  AppendSelected(text, " -profile:a ", IDC_CONVERT_APROFILE, o.audio_profile);
  AppendSelected(text, " ", IDC_CONVERT_AQUALITY, o.audio_quality);
  AppendSelected(text, " -ar ", IDC_CONVERT_SAMPLE_RATE, o.sample_rate);
  AppendSelected(text, " -ac ", IDC_CONVERT_CHANNELS, o.channels);
  AppendSelected(text, " -cutoff ", IDC_CONVERT_CUTOFF, o.cutoff);
  const std::string volume = ItemText(IDC_CONVERT_VOLUME, o.volume);
  if (!volume.empty()) text += " -filter:a \"" + volume + "\"";
}

// Every occurrence of a kind word brings that kind's arguments, so a line naming a kind twice
// gets them twice.
void AppendEncodingArguments(std::string_view line, const ConvertOptions& options, std::string& text) {
  for (std::size_t p = 0; p < line.size(); ++p) {
    for (std::size_t kind = 0; kind < StreamKindWord.size(); ++kind) {
      if (line.compare(p, StreamKindWord[kind].size(), StreamKindWord[kind]) != 0) continue;
      switch (kind) {
        case 0:
          AppendVideoArguments(options, text);
          break;
        case 1:
          AppendAudioArguments(options, text);
          break;
        case 2:
          AppendSelected(text, " -c:s ", IDC_CONVERT_SCODEC, options.subtitle_codec);
          break;
        case 3:
          text += " -c:d copy";
          break;
        case 4:
          text += " -c:t copy";
          break;
      }
      break;
    }
  }
}

bool NamesAudio(std::string_view line) { return line.find(StreamKindWord[1]) != std::string_view::npos; }

// The rows of a stream list, selected where their check box is checked.
StreamTable ListTable(Dialog& page, int list_id) {
  StreamTable table;
  const int rows = page.RowCount(list_id);
  for (int row = 0; row < rows; ++row) {
    table.push_back(StreamEntry{page.RowText(list_id, row), page.RowChecked(list_id, row) ? 1 : 0});
  }
  return table;
}

StreamTable FileTable(const JobContext& job, int file_index) {
  if (job.files == nullptr || file_index < 0 || file_index >= static_cast<int>(job.files->files.size())) return {};
  return job.files->files[static_cast<std::size_t>(file_index)].streams;
}

struct SpeedRow {
  const char* divisor;
  const char* audio_chain;
};

// Index 1 to 31 of the speed list: the speed as the video divisor, and the same speed reached
// with atempo factors that each stay within 0.5 to 2.
constexpr SpeedRow kSpeedRows[] = {
    {"0.0078125", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"0.0083333", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=64/120"},
    {"0.015625", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"0.0166667", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=32/60"},
    {"0.03125", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"0.0333333", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=16/30"},
    {"0.0416667", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=16/24"},
    {"0.0625", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"0.1", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=8/10"},
    {"0.125", "atempo=0.5,atempo=0.5,atempo=0.5"},
    {"0.2", "atempo=0.5,atempo=0.5,atempo=4/5"},
    {"0.25", "atempo=0.5,atempo=0.5"},
    {"0.3333333", "atempo=0.5,atempo=2/3"},
    {"0.5", "atempo=0.5"},
    {"2.0", "atempo=2.0"},
    {"3.0", "atempo=2,atempo=3/2"},
    {"4.0", "atempo=2,atempo=2"},
    {"5.0", "atempo=2,atempo=2,atempo=5/4"},
    {"6.0", "atempo=2,atempo=2,atempo=6/4"},
    {"8.0", "atempo=2,atempo=2,atempo=2"},
    {"10.0", "atempo=2,atempo=2,atempo=2,atempo=10/8"},
    {"12.0", "atempo=2,atempo=2,atempo=2,atempo=12/8"},
    {"16.0", "atempo=2,atempo=2,atempo=2,atempo=2"},
    {"20.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=20/16"},
    {"24.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=24/16"},
    {"30.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=30/16"},
    {"32.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
    {"60.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=60/32"},
    {"64.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
    {"120.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=120/64"},
    {"128.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
};

}  // namespace

ConvertOptions ReadConvertOptions(Dialog& page) {
  ConvertOptions o;
  o.video_codec = page.ComboIndex(IDC_CONVERT_VCODEC);
  o.preset = page.ComboIndex(IDC_CONVERT_PRESET);
  o.tune = page.ComboIndex(IDC_CONVERT_TUNE);
  o.video_profile = page.ComboIndex(IDC_CONVERT_VPROFILE);
  o.level = page.ComboIndex(IDC_CONVERT_LEVEL);
  o.video_quality = page.ComboIndex(IDC_CONVERT_VQUALITY);
  o.frame_rate = page.ComboIndex(IDC_CONVERT_FRAME_RATE);
  o.frame_size = page.ComboIndex(IDC_CONVERT_FRAME_SIZE);
  o.aspect = page.ComboIndex(IDC_CONVERT_ASPECT);
  o.pixel_format = page.ComboIndex(IDC_CONVERT_PIX_FMT);
  o.audio_codec = page.ComboIndex(IDC_CONVERT_ACODEC);
  o.audio_profile = page.ComboIndex(IDC_CONVERT_APROFILE);
  o.audio_quality = page.ComboIndex(IDC_CONVERT_AQUALITY);
  o.sample_rate = page.ComboIndex(IDC_CONVERT_SAMPLE_RATE);
  o.channels = page.ComboIndex(IDC_CONVERT_CHANNELS);
  o.cutoff = page.ComboIndex(IDC_CONVERT_CUTOFF);
  o.volume = page.ComboIndex(IDC_CONVERT_VOLUME);
  o.subtitle_codec = page.ComboIndex(IDC_CONVERT_SCODEC);
  o.speed = page.ComboIndex(IDC_CONVERT_SPEED);
  return o;
}

void AppendStreamArguments(int operation, const std::vector<StreamTable>& inputs, const ConvertOptions& options,
                           bool audio_only, std::string& text) {
  // A multiplex whose first file takes no part has only the second file as its input 0.
  bool first_input_absent = false;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const StreamTable& table = inputs[k];
    if (operation == OP_MULTIPLEX && k == 0) {
      first_input_absent = true;
      for (const StreamEntry& stream : table) {
        if (stream.selected != 0) first_input_absent = false;
      }
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
      const StreamEntry& stream = table[i];
      const bool selected =
          (operation == OP_SEPARATE && audio_only) ? NamesAudio(stream.text) : stream.selected != 0;
      if (!selected) continue;
      text += (k == 0 || first_input_absent) ? " -map 0:" : " -map 1:";
      text += std::to_string(i);
      if (operation == OP_CONVERT) AppendEncodingArguments(stream.text, options, text);
    }
  }
}

void AppendStreamArguments(const JobContext& job, Dialog& page, int input_count, int file_index, std::string& text) {
  std::vector<StreamTable> inputs;
  ConvertOptions options;
  bool audio_only = false;
  switch (job.operation) {
    case OP_SPLIT:
      inputs.push_back(ListTable(page, IDC_SPLIT_STREAMS));
      break;
    case OP_CONCATENATE:
      inputs.push_back(ListTable(page, IDC_CONCAT_STREAMS));
      break;
    case OP_MULTIPLEX:
      inputs.push_back(ListTable(page, IDC_MUX_STREAMS1));
      if (input_count > 1) inputs.push_back(ListTable(page, IDC_MUX_STREAMS2));
      break;
    case OP_SEPARATE:
      inputs.push_back(FileTable(job, file_index));
      audio_only = page.IsChecked(IDC_SEPARATE_AUDIO_ONLY);
      break;
    case OP_CONVERT:
      inputs.push_back(FileTable(job, file_index));
      options = ReadConvertOptions(page);
      break;
    default:
      return;
  }
  AppendStreamArguments(job.operation, inputs, options, audio_only, text);
}

std::string SpeedFilterArgument(int speed_index) {
  constexpr int kRows = static_cast<int>(sizeof kSpeedRows / sizeof kSpeedRows[0]);
  if (speed_index <= 0 || speed_index > kRows) return {};
  const SpeedRow& row = kSpeedRows[speed_index - 1];
  return std::string(" -filter_complex setpts=(PTS-STARTPTS)/") + row.divisor + ";" + row.audio_chain;
}

std::string SpeedFilterArgument(Dialog& page) { return SpeedFilterArgument(page.ComboIndex(IDC_CONVERT_SPEED)); }

}  // namespace clipwright

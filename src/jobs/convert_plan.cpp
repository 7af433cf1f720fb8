// The convert page's run: every listed file re-encoded with the chosen options, each chosen
// stream's encoding arguments right behind its "-map", and the playback-speed filter.
#include <array>
#include <string_view>

#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"

namespace clipwright {
namespace {

// The words that classify a stream line, tried in this order, case-sensitively.
constexpr std::array<std::string_view, 5> kStreamKindWords = {"Video", "Audio", "Subtitle", "Data", "Attachment"};

// `option` and the choice, when something was chosen.
void AddChosen(PlannedCommand& command, std::string_view option, const std::string& choice) {
  if (!choice.empty()) command.Add(option).Add(choice);
}

void AddVideoArguments(PlannedCommand& command, const ConvertChoices& c) {
  if (c.video_codec.empty()) return;
  command.Add("-vcodec").Add(c.video_codec);
  // A stream copy takes no encoder settings.
  if (c.video_codec == "copy") return;
  AddChosen(command, "-preset", c.preset);
  AddChosen(command, "-tune", c.tune);
  AddChosen(command, "-profile:v", c.video_profile);
  AddChosen(command, "-level", c.level);
  command.AddWords(c.video_quality);  // the item is a whole argument: "-crf 23"
  AddChosen(command, "-r", c.frame_rate);
  if (!c.frame_size.empty()) command.Add("-s").Add(c.frame_size).AddWords("-sws_flags lanczos");
  AddChosen(command, "-aspect", c.aspect);
  AddChosen(command, "-pix_fmt", c.pixel_format);
}

void AddAudioArguments(PlannedCommand& command, const ConvertChoices& c) {
  if (c.audio_codec.empty()) return;
  command.Add("-c:a").Add(c.audio_codec);
  if (c.audio_codec == "aac") command.AddWords("-aac_coder twoloop");
  AddChosen(command, "-profile:a", c.audio_profile);
  command.AddWords(c.audio_quality);  // "-b:a 128k"
  AddChosen(command, "-ar", c.sample_rate);
  AddChosen(command, "-ac", c.channels);
  AddChosen(command, "-cutoff", c.cutoff);
  if (!c.volume.empty()) command.Add("-filter:a").AddQuoted(c.volume);
}

// Every occurrence of a kind word brings that kind's arguments, so a line naming a kind twice
// gets them twice.
void AddEncodingArguments(PlannedCommand& command, std::string_view line, const ConvertChoices& choices) {
  for (std::size_t p = 0; p < line.size(); ++p) {
    for (std::size_t kind = 0; kind < kStreamKindWords.size(); ++kind) {
      if (line.compare(p, kStreamKindWords[kind].size(), kStreamKindWords[kind]) != 0) continue;
      switch (kind) {
        case 0:
          AddVideoArguments(command, choices);
          break;
        case 1:
          AddAudioArguments(command, choices);
          break;
        case 2:
          AddChosen(command, "-c:s", choices.subtitle_codec);
          break;
        case 3:
          command.AddWords("-c:d copy");
          break;
        case 4:
          command.AddWords("-c:t copy");
          break;
      }
      break;
    }
  }
}

struct SpeedRow {
  const char* item;
  const char* divisor;
  const char* audio_chain;
};

// The speed list: the speed as the video divisor, and the same speed reached with atempo factors
// that each stay within 0.5 to 2.
constexpr SpeedRow kSpeedRows[] = {
    {"1/128", "0.0078125", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"1/120", "0.0083333", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=64/120"},
    {"1/64", "0.015625", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"1/60", "0.0166667", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=32/60"},
    {"1/32", "0.03125", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"1/30", "0.0333333", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=16/30"},
    {"1/24", "0.0416667", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5,atempo=16/24"},
    {"1/16", "0.0625", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=0.5"},
    {"1/10", "0.1", "atempo=0.5,atempo=0.5,atempo=0.5,atempo=8/10"},
    {"1/8", "0.125", "atempo=0.5,atempo=0.5,atempo=0.5"},
    {"1/5", "0.2", "atempo=0.5,atempo=0.5,atempo=4/5"},
    {"1/4", "0.25", "atempo=0.5,atempo=0.5"},
    {"1/3", "0.3333333", "atempo=0.5,atempo=2/3"},
    {"1/2", "0.5", "atempo=0.5"},
    {"2", "2.0", "atempo=2.0"},
    {"3", "3.0", "atempo=2,atempo=3/2"},
    {"4", "4.0", "atempo=2,atempo=2"},
    {"5", "5.0", "atempo=2,atempo=2,atempo=5/4"},
    {"6", "6.0", "atempo=2,atempo=2,atempo=6/4"},
    {"8", "8.0", "atempo=2,atempo=2,atempo=2"},
    {"10", "10.0", "atempo=2,atempo=2,atempo=2,atempo=10/8"},
    {"12", "12.0", "atempo=2,atempo=2,atempo=2,atempo=12/8"},
    {"16", "16.0", "atempo=2,atempo=2,atempo=2,atempo=2"},
    {"20", "20.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=20/16"},
    {"24", "24.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=24/16"},
    {"30", "30.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=30/16"},
    {"32", "32.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
    {"60", "60.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=60/32"},
    {"64", "64.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
    {"120", "120.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=120/64"},
    {"128", "128.0", "atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2,atempo=2"},
};

}  // namespace

std::string SpeedFilter(std::string_view speed) {
  for (const SpeedRow& row : kSpeedRows) {
    if (speed == row.item) return std::string("setpts=(PTS-STARTPTS)/") + row.divisor + ";" + row.audio_chain;
  }
  return {};
}

RunPlan PlanConvert(const ConvertRequest& request, const RunSettings& settings) {
  RunPlan plan;
  const std::string speed_filter = SpeedFilter(request.choices.speed);
  for (const InputFile& input : request.files) {
    FilePlan file = JobFile(input.path, {input.path}, request.container, settings, false);
    file.stamps = {input.stamp};
    PlannedCommand command;
    command.Add("-i").Input(0);
    for (const StreamChoice& stream : input.streams) {
      if (!stream.chosen) continue;
      command.Add("-map").Add("0:" + std::to_string(stream.number));
      file.expected.streams.push_back(StreamKindOf(stream.line));
      AddEncodingArguments(command, stream.line, request.choices);
    }
    if (!speed_filter.empty()) {
      command.Add("-filter_complex").Add(speed_filter);
      // The filter graph's outputs are streams of their own: FFmpeg decides what the file holds.
      file.expected.streams.clear();
    }
    AddOptionsAndOutput(command, settings, kOverwriteOptionCount);
    AddJobSteps(file, std::move(command), settings, request.container, input.duration);
    plan.files.push_back(std::move(file));
  }
  return plan;
}

}  // namespace clipwright

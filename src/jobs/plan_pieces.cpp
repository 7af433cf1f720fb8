#include "jobs/plan_pieces.h"

#include "common/ascii_case.h"
#include "platform/paths.h"
#include "tools/number_text.h"

namespace clipwright {

FilePlan JobFile(const std::string& display_name, std::vector<std::string> inputs, const std::string& container,
                 const RunSettings& settings, bool numbered) {
  FilePlan file;
  file.display_name = display_name;
  file.inputs = std::move(inputs);
  file.temp_copies = settings.temp_copies;
  file.output.extension = "." + container;
  // A name beside a temp copy or the concat list means nothing to the user: it is renamed.
  if (numbered || settings.temp_copies) {
    const platform::PathParts parts = platform::SplitPath(display_name);
    file.final_name.kind = FinalName::Kind::kNumbered;
    file.final_name.stem = parts.drive + parts.directory + parts.name + "_";
    file.final_name.extension = file.output.extension;
  }
  return file;
}

FileStep JobStep(PlannedCommand command, double duration) {
  FileStep step;
  step.command = std::move(command);
  step.mode = SCAN_JOB;
  step.duration = duration;
  step.logged = true;
  step.running = StageEvent{Stage::kRunning};
  return step;
}

void AddJobSteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, const std::string& container,
                 double duration) {
  file.steps.push_back(JobStep(std::move(command), duration));
  if (!settings.strip_tags || !EqualsIgnoringCase(container, "mp3")) return;
  FileStep strip;
  strip.kind = FileStep::Kind::kStripTags;
  strip.failed = Stage::kTagsFailed;
  file.steps.push_back(std::move(strip));
}

void AddCopySteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, const std::string& container) {
  command.AddWords("-c copy");
  AddOptionsAndOutput(command, settings, kCopyOptionsFirst);
  AddJobSteps(file, std::move(command), settings, container);
}

void AddStreamMaps(PlannedCommand& command, int input, const std::vector<StreamChoice>& streams,
                   std::vector<StreamKind>* kinds) {
  for (const StreamChoice& stream : streams) {
    if (!stream.chosen) continue;
    command.Add("-map").Add(std::to_string(input) + ":" + std::to_string(stream.number));
    if (kinds != nullptr) kinds->push_back(StreamKindOf(stream.line));
  }
}

void AddOptionsAndOutput(PlannedCommand& command, const RunSettings& settings, int first) {
  command.AddWords(GeneralOptions(settings, first));
  command.Add("-y").Output();
}

void AddCut(PlannedCommand& command, const SplitCut& cut) {
  if (cut.seek) command.Add("-ss").Add(FixedText(cut.seek_time, 6));
  command.Add("-i").Input(0);
  if (cut.seek) command.AddWords("-ss 0");
  command.Add("-t").Add(FixedText(cut.length, 6));
}

// Only the cut's own stream is held to having packets: another may well have nothing to say
// within a range.
void ExpectCut(OutputExpectation& expected, const SplitCut& cut, const std::vector<StreamChoice>& streams,
               bool every_stream) {
  expected.cut = true;
  if (cut.audio_length) {
    expected.audio_length = cut.audio_length;
    expected.audio_frame = cut.audio_frame;
    return;
  }
  int position = 0;
  for (const StreamChoice& stream : streams) {
    if (!every_stream && !stream.chosen) continue;
    if (StreamKindOf(stream.line) == StreamKind::kVideo && !IsAttachedPicture(stream.line)) {
      expected.cut_video = position;
      expected.video_packets = cut.video_packets;
      return;
    }
    ++position;
  }
}

}  // namespace clipwright

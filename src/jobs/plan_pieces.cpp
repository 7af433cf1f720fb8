#include "jobs/plan_pieces.h"

#include "common/ascii_case.h"
#include "platform/paths.h"

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

void AddJobSteps(FilePlan& file, PlannedCommand command, const RunSettings& settings, double duration) {
  file.steps.push_back(JobStep(std::move(command), duration));
  if (!settings.strip_tags || !EqualsIgnoringCase(file.output.extension, ".mp3")) return;
  FileStep strip;
  strip.kind = FileStep::Kind::kStripTags;
  strip.failed = Stage::kTagsFailed;
  file.steps.push_back(std::move(strip));
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

}  // namespace clipwright

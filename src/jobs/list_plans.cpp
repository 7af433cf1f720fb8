// The runs of the concatenate, multiplex and separate pages: streams copied, never re-encoded.
#include <algorithm>

#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"

namespace clipwright {
namespace {

bool AnyChosen(const InputFile& file) {
  return std::any_of(file.streams.begin(), file.streams.end(), [](const StreamChoice& s) { return s.chosen; });
}

RunPlan OneFile(FilePlan file) {
  RunPlan plan;
  plan.files.push_back(std::move(file));
  return plan;
}

}  // namespace

RunPlan PlanConcatenate(const ConcatenateRequest& request, const RunSettings& settings) {
  // Joining needs two files.
  if (request.paths.size() < 2) return {};
  FilePlan file = JobFile(request.paths.back(), request.paths, request.container, settings, true);
  file.concat_list = true;
  PlannedCommand command;
  command.AddWords("-f concat -safe 0 -i").ConcatList();
  AddStreamMaps(command, 0, request.streams, &file.expected.streams);
  command.AddWords("-c copy");
  AddOptionsAndOutput(command, settings, kCopyOptionsFirst);
  AddJobSteps(file, std::move(command), settings);
  return OneFile(std::move(file));
}

RunPlan PlanMultiplex(const MultiplexRequest& request, const RunSettings& settings) {
  // An input without a chosen stream takes no part; the last one taken names the output.
  std::vector<const InputFile*> taken;
  for (const InputFile* input : {&request.first, &request.second}) {
    if (AnyChosen(*input)) taken.push_back(input);
  }
  if (taken.empty()) {
    FilePlan file;
    file.display_name = request.second.path.empty() ? request.first.path : request.second.path;
    file.refused = StageEvent{Stage::kNoInput};
    return OneFile(std::move(file));
  }
  std::vector<std::string> paths;
  for (const InputFile* input : taken) paths.push_back(input->path);
  FilePlan file = JobFile(paths.back(), paths, request.container, settings, false);
  PlannedCommand command;
  for (std::size_t i = 0; i < taken.size(); ++i) command.Add("-i").Input(static_cast<int>(i));
  for (std::size_t i = 0; i < taken.size(); ++i) {
    AddStreamMaps(command, static_cast<int>(i), taken[i]->streams, &file.expected.streams);
  }
  command.AddWords("-c copy");
  AddOptionsAndOutput(command, settings, kCopyOptionsFirst);
  AddJobSteps(file, std::move(command), settings);
  return OneFile(std::move(file));
}

RunPlan PlanSeparate(const SeparateRequest& request, const RunSettings& settings) {
  RunPlan plan;
  for (const InputFile& input : request.files) {
    FilePlan file = JobFile(input.path, {input.path}, request.container, settings, false);
    std::vector<StreamChoice> streams = input.streams;
    // 音声のみ抽出 takes every stream that names Audio, whatever was chosen.
    if (request.audio_only) {
      for (StreamChoice& stream : streams) stream.chosen = stream.line.find("Audio") != std::string::npos;
    }
    PlannedCommand command;
    command.Add("-i").Input(0);
    AddStreamMaps(command, 0, streams, &file.expected.streams);
    command.AddWords("-c copy");
    AddOptionsAndOutput(command, settings, kCopyOptionsFirst);
    AddJobSteps(file, std::move(command), settings);
    plan.files.push_back(std::move(file));
  }
  return plan;
}

}  // namespace clipwright

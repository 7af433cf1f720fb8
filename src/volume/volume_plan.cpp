#include "volume/volume_plan.h"

#include "common/ascii_case.h"
#include "tools/number_text.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

constexpr double kAudioGainReferenceDb = 89.0;

// FFmpeg's stream copy into the output: `map` ("0:n" or empty) and the metadata options.
PlannedCommand CopyCommand(bool from_output, int audio, const std::string& options, bool into_new_output) {
  PlannedCommand command;
  command.Add("-i");
  if (from_output) {
    command.Output();
  } else {
    command.Input(0);
  }
  if (audio >= 0) command.Add("-map").Add("0:" + std::to_string(audio));
  command.AddWords("-hide_banner -c copy").AddWords(options).Add("-y");
  if (into_new_output) {
    command.NewOutput();
  } else {
    command.Output();
  }
  return command;
}

FileStep Step(PlannedCommand command, int mode, std::optional<Stage> running, std::optional<Stage> succeeded,
              std::optional<Stage> failed) {
  FileStep step;
  step.command = std::move(command);
  step.mode = mode;
  if (running) step.running = StageEvent{*running};
  step.succeeded = succeeded;
  step.failed = failed;
  return step;
}

FilePlan VolumeFile(const InputFile& input, const VolumeRequest& request, const RunSettings& settings,
                    const std::string& metadata_options) {
  FilePlan file;
  file.display_name = input.path;
  file.inputs = {input.path};
  file.stamps = {input.stamp};
  const int audio = FindAudioStream(input.streams);
  if (audio < 0) {
    file.refused = StageEvent{Stage::kNoAudioTrack};
    return file;
  }
  const platform::PathParts parts = platform::SplitPath(input.path);
  const std::string extension = WorkingExtension(parts.extension);
  file.output.beside = OutputStart::Beside::kFirstInput;
  file.output.extension = extension;

  switch (ChooseWorkingCopy(parts.extension, request.audio_only)) {
    case WorkingCopy::kBytes:
      file.output.copy_of_input = true;
      file.output.copying = Stage::kCopyingSource;
      file.output.made = Stage::kSourceCopied;
      file.output.failed = Stage::kSourceCopyFailed;
      break;
    case WorkingCopy::kContainer:
      file.output.copying = Stage::kMakingContainer;
      file.output.failed = Stage::kContainerFailed;
      file.steps.push_back(Step(CopyCommand(false, -1, metadata_options, false), SCAN_JOB, std::nullopt,
                                Stage::kContainerMade, Stage::kContainerFailed));
      break;
    case WorkingCopy::kAudioOnly:
      file.output.copying = Stage::kMakingAudioOnly;
      file.output.failed = Stage::kAudioOnlyFailed;
      file.steps.push_back(Step(CopyCommand(false, audio, metadata_options, false), SCAN_JOB, std::nullopt,
                                Stage::kAudioOnlyMade, Stage::kAudioOnlyFailed));
      break;
  }

  // AACGain gets the working file by its bare name in its own folder: the name is ASCII, and no
  // part of the user's path, which AACGain would read in the ANSI code page, reaches it.
  PlannedCommand analysis(Tool::kAacgain);
  analysis.AddWords("/e /c /d").Add(FixedText(request.target_level - kAudioGainReferenceDb, 6)).AddWords("/s s");
  analysis.OutputName();
  FileStep analyse = Step(std::move(analysis), SCAN_GAIN_ANALYSE, Stage::kAnalysingGain, std::nullopt,
                          Stage::kAnalysisFailed);
  analyse.in_output_folder = true;
  file.steps.push_back(std::move(analyse));

  PlannedCommand application(Tool::kAacgain);
  application.Add("/g").Gain().AddWords("/c /s s").OutputName();
  FileStep apply = Step(std::move(application), SCAN_GAIN_APPLY, Stage::kApplyingGain, Stage::kGainApplied,
                        Stage::kGainFailed);
  apply.in_output_folder = true;
  file.steps.push_back(std::move(apply));

  // The metadata pass writes a new copy, which takes the working file's place.
  if (!metadata_options.empty()) {
    FileStep pass = Step(CopyCommand(true, -1, metadata_options, true), SCAN_JOB, Stage::kRemovingMetadata,
                         Stage::kMetadataRemoved, Stage::kMetadataFailed);
    pass.clears_output = true;
    file.steps.push_back(std::move(pass));
  }
  if (settings.strip_tags && EqualsIgnoringCase(extension, ".mp3")) {
    FileStep strip;
    strip.kind = FileStep::Kind::kStripTags;
    strip.running = StageEvent{Stage::kRemovingTags};
    strip.succeeded = Stage::kTagsRemoved;
    strip.failed = Stage::kTagsFailed;
    file.steps.push_back(std::move(strip));
  }

  file.expected.decodes = true;
  file.final_name.kind = FinalName::Kind::kNumbered;
  file.final_name.stem = parts.drive + parts.directory + parts.name + "_";
  file.final_name.extension = extension;
  return file;
}

}  // namespace

WorkingCopy ChooseWorkingCopy(std::string_view extension, bool audio_only) {
  if (EqualsIgnoringCase(extension, ".m4a") || EqualsIgnoringCase(extension, ".aac")) return WorkingCopy::kContainer;
  if (EqualsIgnoringCase(extension, ".mp3")) return WorkingCopy::kBytes;
  return audio_only ? WorkingCopy::kAudioOnly : WorkingCopy::kBytes;
}

std::string WorkingExtension(std::string_view extension) {
  if (EqualsIgnoringCase(extension, ".m4a") || EqualsIgnoringCase(extension, ".aac")) return ".mp4";
  return std::string(extension);
}

int FindAudioStream(const std::vector<StreamChoice>& streams) {
  for (const StreamChoice& stream : streams) {
    if (stream.line.find("Audio: aac") != std::string::npos || stream.line.find("Audio: mp3") != std::string::npos) {
      return stream.number;
    }
  }
  return -1;
}

RunPlan PlanVolume(const VolumeRequest& request, const RunSettings& settings) {
  RunPlan plan;
  plan.needs_aacgain = true;
  // A run that cannot start shows why, and no counts.
  plan.counts_early_end = false;
  // Each output is decoded whole once AACGain has changed it; the next file's AACGain runs
  // meanwhile, on another core.
  plan.overlap_checks = true;
  const std::string metadata_options = GeneralOptions(settings, kMetadataOptionsFirst);
  for (const InputFile& input : request.files) plan.files.push_back(VolumeFile(input, request, settings, metadata_options));
  return plan;
}

}  // namespace clipwright

// The split page's runs: one range of its file, or a piece from every keyframe to the next.
#include <algorithm>

#include "jobs/job_plans.h"
#include "tools/number_text.h"
#include "jobs/plan_pieces.h"
#include "platform/paths.h"

namespace clipwright {
namespace {

// FFmpeg reads the cut from its seek (or from the start), copying for its length.
void AddCut(PlannedCommand& command, const SplitCut& cut) {
  if (cut.seek) command.Add("-ss").Add(FixedText(cut.seek_time, 6));
  command.Add("-i").Input(0);
  if (cut.seek) command.AddWords("-ss 0");
  command.Add("-t").Add(FixedText(cut.length, 6));
}

// What a piece of `cut` must hold: the cut's video stream (the file's first video that is no
// cover picture, which is what the keyframes were read from) starts on a keyframe and holds the
// packets between the keyframes; an audio file's piece plays as long as the range. Only the cut's
// own stream is held to having packets: another may well have nothing to say within a range.
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

std::string SixDigits(std::uint32_t value) { return FixedText(value, 0, 6); }

}  // namespace

RunPlan PlanSplit(const SplitRequest& request, const RunSettings& settings) {
  FilePlan file = JobFile(request.file.path, {request.file.path}, request.container, settings, true);
  const SplitCut& cut = request.cut;
  // Named by the range the page shows; a second split of it counts on from 2.
  file.final_name.first_choice = file.final_name.stem + FixedText(cut.start_time, 3, 9) + "-" +
                                 FixedText(cut.end_time, 3, 9) + "_1" + file.final_name.extension;
  PlannedCommand command;
  AddCut(command, cut);
  AddStreamMaps(command, 0, request.file.streams, &file.expected.streams);
  command.AddWords("-c copy");
  AddOptionsAndOutput(command, settings, kCopyOptionsFirst);
  ExpectCut(file.expected, cut, request.file.streams, false);
  AddJobSteps(file, std::move(command), settings);
  RunPlan plan;
  plan.files.push_back(std::move(file));
  return plan;
}

RunPlan PlanKeyframeSplit(const KeyframeSplitRequest& request, const RunSettings& /*settings: none apply*/) {
  RunPlan plan;
  const std::string& path = request.file.path;
  const platform::PathParts parts = platform::SplitPath(path);
  for (std::size_t i = 0; i < request.pieces.size(); ++i) {
    const KeyframePiece& piece = request.pieces[i];
    FilePlan file;
    file.display_name = path;
    file.inputs = {path};
    file.output.extension = "." + request.container;
    // Pieces are named by their keyframes, and replace the pieces of an earlier split.
    file.final_name.kind = FinalName::Kind::kReplace;
    file.final_name.path = parts.drive + parts.directory + parts.name + "_[" +
                           SixDigits(static_cast<std::uint32_t>(i)) + "]_" + SixDigits(piece.first_frame) + "-" +
                           SixDigits(piece.next_frame) + file.output.extension;
    // The time piece goes after the copy options here, as the piece commands have always had it.
    PlannedCommand command;
    command.Add("-hide_banner");
    if (piece.cut.seek) command.Add("-ss").Add(FixedText(piece.cut.seek_time, 6));
    command.Add("-i").Input(0).AddWords("-map 0 -c copy");
    if (piece.cut.seek) command.AddWords("-ss 0");
    command.Add("-t").Add(FixedText(piece.cut.length, 6)).Add("-y").Output();
    for (const StreamChoice& stream : request.file.streams) file.expected.streams.push_back(StreamKindOf(stream.line));
    ExpectCut(file.expected, piece.cut, request.file.streams, true);
    FileStep step = JobStep(std::move(command));
    step.running = StageEvent{Stage::kRunningPiece, {}, 0, piece.first_frame, piece.next_frame};
    file.steps.push_back(std::move(step));
    plan.files.push_back(std::move(file));
  }
  return plan;
}

}  // namespace clipwright

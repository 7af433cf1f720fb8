// The split page's run at every keyframe: a piece from each keyframe to the next.
#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"
#include "platform/paths.h"
#include "tools/number_text.h"

namespace clipwright {
namespace {

std::string SixDigits(std::uint32_t value) { return FixedText(value, 0, 6); }

}  // namespace

RunPlan PlanKeyframeSplit(const KeyframeSplitRequest& request, const RunSettings& /*settings: none apply*/) {
  RunPlan plan;
  plan.overlap_checks = true;
  const std::string& path = request.file.path;
  const platform::PathParts parts = platform::SplitPath(path);
  for (std::size_t i = 0; i < request.pieces.size(); ++i) {
    const KeyframePiece& piece = request.pieces[i];
    FilePlan file;
    file.display_name = path;
    file.inputs = {path};
    file.stamps = {request.file.stamp};
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

// The split page's range cut at any frame: the frames before the first keyframe of the range
// and from its last keyframe on are encoded again as the source was encoded, the whole GOPs
// between are copied, and the parts are joined with the source's other streams copied for the
// same time. The output is then compared with the source picture by picture.
#include "jobs/job_plans.h"
#include "jobs/plan_pieces.h"
#include "tools/number_text.h"

namespace clipwright {
namespace {

bool TakesTimescale(const std::string& container) {
  return container == "mp4" || container == "mov" || container == "m4v" || container == "3gp";
}

// Of a frame's PSNR over its planes, the luma plane's share against one chroma plane's.
int LumaWeight(const std::string& pixel_format) {
  if (pixel_format.starts_with("yuv444") || pixel_format.starts_with("gbr")) return 1;
  return pixel_format.starts_with("yuv422") ? 2 : 4;
}

FileStep PartStep(PlannedCommand command, Stage stage, std::uint32_t first, std::uint32_t end, double duration) {
  FileStep step = JobStep(std::move(command), duration);
  step.running = StageEvent{stage, {}, 0, first, end};
  // The parts are named beside the source, as the output is: bare names keep the commands short.
  step.in_output_folder = true;
  return step;
}

// With `keep_pictures`, the encodes whose encoder tells of every frame keep their first for the
// check.
FilePlan PlanFile(const FrameCutRequest& request, const RunSettings& settings, bool keep_pictures) {
  const FrameCut& cut = request.cut;
  FilePlan file = JobFile(request.file.path, {request.file.path}, request.container, settings, true);
  file.stamps = {request.file.stamp};
  file.final_name.first_choice = file.final_name.stem + FixedText(cut.start_time, 3, 9) + "-" +
                                 FixedText(cut.end_time, 3, 9) + "_1" + file.final_name.extension;
  const std::string video = "0:" + std::to_string(request.video_stream);
  std::vector<std::string> encoder = EncoderArguments(request.video);
  if (TakesTimescale(request.container) && request.video.timescale > 0) {
    encoder.insert(encoder.end(), {"-video_track_timescale", std::to_string(request.video.timescale)});
  }
  // x264 reports each frame's PSNR at FFmpeg's debug level: the check need not decode them.
  const bool reports = request.video.codec == "h264";
  const bool keeps = reports && keep_pictures;
  OutputExpectation::Frames frames;
  const auto encode = [&](std::uint32_t first, std::uint32_t end, double seek, Stage stage) {
    PlannedCommand command;
    if (reports) command.AddWords("-loglevel debug");
    // At the frame's very time: FFmpeg rounds it to the stream's ticks, decodes from the keyframe
    // before and starts on the frame. A time even a little early would give the encoder's first
    // frame twice, as FFmpeg fills its constant frame rate, and lose the last.
    command.Add("-ss").Add(FixedText(seek, 6)).Add("-i").Input(0);
    // The check needs only the first picture of a run whose encoder tells of every frame; the
    // encode has decoded it already, from the keyframe before, and keeps it as it was given. Its
    // own branch of the graph ends after it: an output that merely stops taking frames counts the
    // rest as dropped. The output stops too, or FFmpeg would decode the source to its end.
    if (keeps) command.Add("-lavfi").Add("[" + video + "]split[e][k];[k]trim=end_frame=1[p]");
    command.Add("-map").Add(keeps ? "[e]" : video).Add("-frames:v").Add(std::to_string(end - first));
    for (const std::string& argument : encoder) command.Add(argument);
    const std::size_t part = file.parts.size();
    command.Add("-y").PartName(static_cast<int>(part));
    file.parts.push_back({(end - first) * cut.frame_step, true, {}});
    OutputExpectation::Frames::Encoded encoded{first - cut.first_frame, end - first, part, seek};
    if (keeps) {
      encoded.first_picture_part = file.parts.size();
      command.AddWords("-map [p] -frames 1 -c:v rawvideo -y").PartName(static_cast<int>(file.parts.size()));
      file.parts.push_back({0, false, ".nut"});
    }
    FileStep step = PartStep(std::move(command), stage, first, end, (end - first) * cut.frame_step);
    if (reports) step.encodes = frames.encoded.size();
    // The parts read only the source: the copy and the tail run beside the head.
    step.starts_early = !file.steps.empty();
    file.steps.push_back(std::move(step));
    frames.encoded.push_back(std::move(encoded));
  };
  if (cut.first_frame < cut.copy_first) {
    encode(cut.first_frame, cut.copy_first, cut.start_time, Stage::kEncodingHead);
  }
  if (cut.copies()) {
    PlannedCommand command;
    AddCut(command, cut.copy);
    command.Add("-map").Add(video).AddWords("-c copy");
    if (TakesTimescale(request.container) && request.video.timescale > 0) {
      command.Add("-video_track_timescale").Add(std::to_string(request.video.timescale));
    }
    command.Add("-y").PartName(static_cast<int>(file.parts.size()));
    const double length = cut.copy_end_time - cut.copy_start_time;
    file.steps.push_back(PartStep(std::move(command), Stage::kCopyingGops, cut.copy_first, cut.copy_end, length));
    file.steps.back().starts_early = file.steps.size() > 1;
    file.parts.push_back({length, true, {}});
  }
  if (cut.copy_end < cut.end_frame) {
    encode(cut.copy_end, cut.end_frame, cut.copy_end_time, Stage::kEncodingTail);
  }

  // The join: the parts' video, and the source's other chosen streams for the same time.
  const double length = cut.end_time - cut.start_time;
  PlannedCommand join;
  join.AddWords("-f concat -safe 0 -i").ConcatList();
  std::vector<std::string> others;
  file.expected.streams.push_back(StreamKind::kVideo);
  for (const StreamChoice& stream : request.file.streams) {
    const StreamKind kind = StreamKindOf(stream.line);
    if (!stream.chosen || stream.number == request.video_stream || kind == StreamKind::kVideo) continue;
    others.push_back("1:" + std::to_string(stream.number));
    file.expected.streams.push_back(kind);
  }
  // The source is read again only for streams of its own.
  if (!others.empty()) join.Add("-ss").Add(FixedText(cut.start_time, 6)).Add("-t").Add(FixedText(length, 6)).Add("-i").Input(0);
  join.AddWords("-map 0:v:0");
  for (const std::string& other : others) join.Add("-map").Add(other);
  join.AddWords("-c copy");
  AddOptionsAndOutput(join, settings, kCopyOptionsFirst);
  FileStep step = JobStep(std::move(join), length);
  step.running = StageEvent{Stage::kJoiningParts};
  file.steps.push_back(std::move(step));
  file.concat_list = true;

  OutputExpectation& expected = file.expected;
  expected.cut = true;
  expected.cut_video = 0;
  expected.video_packets = cut.end_frame - cut.first_frame;
  frames.source = request.file.path;
  frames.source_video = request.video_stream;
  frames.seek = cut.start_time;
  frames.count = cut.end_frame - cut.first_frame;
  frames.copied_first = cut.copy_first - cut.first_frame;
  frames.copied_end = cut.copy_end - cut.first_frame;
  frames.frame_step = cut.frame_step;
  frames.source_first_packet = cut.copy_first_packet;
  frames.copied_packets = cut.copied_packets;
  frames.copy_start = cut.copy_start_time;
  // After a keyframe that begins afresh nothing leans on the frames before it. The frames that
  // could, were a keyframe marked so without beginning afresh, are those up to as many
  // references after it as a frame may use.
  if (const auto& gops = request.video.closed_gops) frames.seam_frames = (gops->b_frames + 1) * gops->references + 1;
  frames.luma_weight = LumaWeight(request.video.pixel_format);
  expected.frames = frames;
  return file;
}

}  // namespace

RunPlan PlanFrameCut(const FrameCutRequest& request, const RunSettings& settings) {
  RunPlan plan;
  plan.files.push_back(PlanFile(request, settings, true));
  // The kept pictures lengthen the encodes' commands; where one would then be refused, the
  // check decodes the pictures from the source instead.
  CommandNames names = LikelyNames(plan.files.front());
  names.program = settings.ffmpeg;
  for (const FileStep& step : plan.files.front().steps) {
    if (step.encodes && !ResolveCommand(step.command, names).FitsLimit()) {
      plan.files.front() = PlanFile(request, settings, false);
      break;
    }
  }
  return plan;
}

}  // namespace clipwright

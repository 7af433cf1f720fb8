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
  return step;
}

}  // namespace

RunPlan PlanFrameCut(const FrameCutRequest& request, const RunSettings& settings) {
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
  OutputExpectation::Frames frames;
  const auto encode = [&](std::uint32_t first, std::uint32_t end, double seek, Stage stage) {
    PlannedCommand command;
    if (reports) command.AddWords("-loglevel debug");
    // At the frame's very time: FFmpeg rounds it to the stream's ticks, decodes from the keyframe
    // before and starts on the frame. A time even a little early would give the encoder's first
    // frame twice, as FFmpeg fills its constant frame rate, and lose the last.
    command.Add("-ss").Add(FixedText(seek, 6)).Add("-i").Input(0);
    command.Add("-map").Add(video).Add("-frames:v").Add(std::to_string(end - first));
    for (const std::string& argument : encoder) command.Add(argument);
    command.Add("-y").Part(static_cast<int>(file.parts.size()));
    FileStep step = PartStep(std::move(command), stage, first, end, (end - first) * cut.frame_step);
    if (reports) step.encodes = frames.encoded.size();
    // The parts read only the source: the copy and the tail run beside the head.
    step.starts_early = !file.steps.empty();
    file.steps.push_back(std::move(step));
    frames.encoded.push_back({first - cut.first_frame, end - first, file.parts.size(), seek});
    file.parts.push_back((end - first) * cut.frame_step);
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
    command.Add("-y").Part(static_cast<int>(file.parts.size()));
    const double length = cut.copy_end_time - cut.copy_start_time;
    file.steps.push_back(PartStep(std::move(command), Stage::kCopyingGops, cut.copy_first, cut.copy_end, length));
    file.steps.back().starts_early = file.steps.size() > 1;
    file.parts.push_back(length);
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
  frames.luma_weight = LumaWeight(request.video.pixel_format);
  expected.frames = frames;
  RunPlan plan;
  plan.files.push_back(std::move(file));
  return plan;
}

}  // namespace clipwright

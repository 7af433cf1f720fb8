// Timing program for scripts/bench-split: the split page's keyframe scan of one video as the page
// runs it, the decoding scan it replaced, the pictures made as a trackbar moves, and the check
// that every output of a run is read back with.
//   split_bench open <ffmpeg> <video>     the scan from the packet listing, first picture included
//   split_bench decode <ffmpeg> <video>   the scan that decodes the whole video
//   split_bench pictures <ffmpeg> <video> <moves> <fill>
//       opens the video, wants `moves` times the picture of a keyframe that is not made yet,
//       pausing between them as a user looking at the picture does, and times each until the
//       picture store's ready notice; then wants `fill` more without pausing, and reports the
//       memory the pictures hold.
//   split_bench check <ffmpeg> <video> <every|whole> <checked|unchecked>
//       runs the split at every keyframe of the video, or a whole-file copy of it (a separate of
//       every stream), through the run driver, with the real check of each output or with one
//       that passes at once, and prints the seconds it took.
//   split_bench framecut <ffmpeg> <video> <first> <last> <cut|encode>
//       the frame-precise cut of frames first … last through the run driver, check included;
//       or only its two encodes of the partial GOPs, the FFmpeg runs alone. Prints the seconds.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "analysis/probe.h"
#include "analysis/split_cuts.h"
#include "analysis/split_scans.h"
#include "jobs/job_plans.h"
#include "jobs/run_driver.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "analysis/video_parameters.h"
#include "support/picture_watch.h"
#include "support/recording_observer.h"
#include "tools/tool_runner.h"

namespace {

using namespace clipwright;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Thrown rather than exiting, so that the scan's folder of pictures goes with the unwinding.
struct Failure {
  const char* what;
};
[[noreturn]] void Fail(const char* what) { throw Failure{what}; }

int Scan(const char* ffmpeg, const char* video, bool decode) {
  SplitPageState split;
  split.video_kind = 2;
  NullObserver observer;
  std::atomic<int> abort{0};
  const auto scan = decode ? ScanKeyframesByDecoding : ScanKeyframes;
  const auto start = Clock::now();
  if (scan(ffmpeg, video, split, observer, abort) != 1) Fail("the scan failed");
  const double seconds = Since(start);
  std::printf("seconds=%.3f frames=%u keyframes=%u thumbnail_bytes=%zu\n", seconds, split.last_frame_index,
              split.keyframe_count, split.pictures.Bytes());
  return 0;
}

int Pictures(const char* ffmpeg, const char* video, int moves, int fill) {
  SplitPageState split;
  testing::PictureWatch watch(split.pictures);
  NullObserver observer;
  std::atomic<int> abort{0};
  if (ScanKeyframes(ffmpeg, video, split, observer, abort) != 1) Fail("the scan failed");
  const std::uint32_t count = split.keyframe_count;
  if (count < 4) Fail("too few keyframes");
  const auto show = [&](std::uint32_t k) {
    const auto start = Clock::now();
    if (!watch.Show(k)) Fail("a picture was not made");
    return Since(start);
  };
  std::vector<double> times;
  // Keyframes spread over the video; a neighbour of one shown before is made ahead, and skipped.
  for (int i = 0; i < moves; ++i) {
    std::uint32_t k = 2 + static_cast<std::uint32_t>(static_cast<std::uint64_t>(i) * (count - 3) / moves);
    while (k + 1 < count && split.pictures.Of(k)) ++k;
    if (split.pictures.Of(k)) continue;
    times.push_back(show(k));
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  for (int i = 0; i < fill; ++i) show(static_cast<std::uint32_t>(std::uint64_t{7919} * i % (count - 1)));
  std::sort(times.begin(), times.end());
  if (times.empty()) Fail("no picture was timed");
  std::printf("pictures=%zu median=%.3f max=%.3f thumbnail_bytes=%zu\n", times.size(), times[times.size() / 2],
              times.back(), split.pictures.Bytes());
  return 0;
}

// The video as the pages have it: probed, and for the split, scanned.
InputFile Probed(const char* ffmpeg, const char* video) {
  NullObserver observer;
  std::atomic<int> abort{0};
  ProbedFile probed;
  if (ProbeFile(ffmpeg, video, observer, abort, &probed) != VERDICT_SUCCESS) Fail("the probe failed");
  InputFile input{video, {}, probed.duration};
  for (std::size_t i = 0; i < probed.stream_lines.size(); ++i) {
    input.streams.push_back(StreamChoice{static_cast<int>(i), probed.stream_lines[i], true});
  }
  return input;
}

int Check(const char* ffmpeg, const char* video, const std::string& what, const std::string& checked) {
  const InputFile input = Probed(ffmpeg, video);
  const std::string container = platform::SplitPath(video).extension.substr(1);
  RunPlan plan;
  if (what == "every") {
    SplitPageState split;
    NullObserver observer;
    std::atomic<int> abort{0};
    if (ScanKeyframes(ffmpeg, video, split, observer, abort) != 1) Fail("the scan failed");
    KeyframeSplitRequest request{input, container, {}};
    for (std::uint32_t k = 0; k < split.keyframe_count; ++k) {
      request.pieces.push_back(
          KeyframePiece{split.keyframe_frames[k], split.keyframe_frames[k + 1], KeyframeCut(split, k, k + 1)});
    }
    plan = PlanKeyframeSplit(request, {});
  } else {
    plan = PlanSeparate(SeparateRequest{{input}, false, container}, {});
  }
  RunSettings settings;
  settings.ffmpeg = ffmpeg;
  RunHooks hooks;
  if (checked == "unchecked") {
    hooks.check_output = [](const std::string&, const std::string&, const OutputExpectation&, const std::atomic<int>&) {
      return CheckResult{};
    };
  }
  // The folder as it was: the outputs of this run go again, so that the next run starts alike.
  const platform::PathParts parts = platform::SplitPath(video);
  const std::string folder = parts.drive + parts.directory;
  std::vector<std::string> before;
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) before.push_back(entry.name);

  NullObserver observer;
  std::atomic<int> abort{0};
  const auto start = Clock::now();
  const RunSummary summary = RunFiles(plan, settings, observer, abort, hooks);
  const double seconds = Since(start);
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    if (std::find(before.begin(), before.end(), entry.name) == before.end()) platform::DeleteFileForced(folder + entry.name);
  }
  if (summary.failures != 0 || summary.successes != static_cast<int>(plan.files.size())) Fail("an output failed");
  std::printf("seconds=%.3f files=%d\n", seconds, summary.successes);
  return 0;
}

// The folder's new files go again, so that the next run starts alike.
void RemoveNewFiles(const std::string& folder, const std::vector<std::string>& before) {
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    if (std::find(before.begin(), before.end(), entry.name) == before.end()) platform::DeleteFileForced(folder + entry.name);
  }
}

int CutFrames(const char* ffmpeg, const char* video, std::uint32_t first, std::uint32_t last, const std::string& what) {
  FrameCutRequest request;
  request.file = Probed(ffmpeg, video);
  request.container = platform::SplitPath(video).extension.substr(1);
  SplitPageState split;
  split.video_kind = 2;
  NullObserver observer;
  std::atomic<int> abort{0};
  if (ScanSplitFile(ffmpeg, video, split, observer, abort) != SplitScan::kReady) Fail("the scan failed");
  const std::optional<clipwright::FrameCut> cut = FrameRangeCut(split, first, last);
  const std::optional<VideoParameters> parameters = ReadVideoParameters(video, request.file.streams.at(0).line);
  if (!cut || !parameters) Fail("no frame cut of this video");
  request.cut = *cut;
  request.video = *parameters;
  RunSettings settings;
  settings.ffmpeg = ffmpeg;
  const RunPlan plan = PlanFrameCut(request, settings);
  const platform::PathParts parts = platform::SplitPath(video);
  const std::string folder = parts.drive + parts.directory;
  std::vector<std::string> before;
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) before.push_back(entry.name);

  const auto start = Clock::now();
  if (what == "cut") {
    testing::RecordingObserver told;
    if (RunFiles(plan, settings, told, abort).successes != 1) {
      // Which stage failed, and what it named.
      for (const StageEvent& event : told.events()) {
        std::fprintf(stderr, "split_bench: stage %d: %lld (%lld, %lld) %s\n", static_cast<int>(event.stage),
                     static_cast<long long>(event.number), static_cast<long long>(event.first),
                     static_cast<long long>(event.second), event.text.c_str());
      }
      Fail("the cut failed");
    }
  } else {
    // The encodes as the cut runs them, each into a file of its own, but without what the cut
    // asks of them for its check (x264's measure of each frame, the log level that shows it, and
    // the first picture kept raw).
    const auto plain = [](std::string text) {
      for (const std::string words : {"-loglevel debug ", ":psnr=1", "psnr=1"}) {
        if (const std::size_t at = text.find(words); at != std::string::npos) text.erase(at, words.size());
      }
      if (const std::size_t graph = text.find("-lavfi ["); graph != std::string::npos) {
        const std::size_t stream = graph + 8;
        const std::string video = text.substr(stream, text.find(']', stream) - stream);
        text.erase(text.find(" -map [p]"));
        const std::string encoded = "-map [e]";
        text.replace(graph, text.find(encoded) + encoded.size() - graph, "-map " + video);
      }
      return text;
    };
    CommandNames names;
    names.program = ffmpeg;
    names.inputs = {video};
    for (std::size_t i = 0; i < plan.files[0].parts.size(); ++i) names.parts.push_back(folder + "part" + std::to_string(i) + ".mp4");
    for (const FileStep& step : plan.files[0].steps) {
      if (!step.running || (step.running->stage != Stage::kEncodingHead && step.running->stage != Stage::kEncodingTail)) continue;
      std::string capture;
      RunTool(capture, observer, abort, plain(ResolveCommand(step.command, names).Text()), SCAN_JOB, 0, RunToolLimits{}, nullptr,
              step.in_output_folder ? folder : std::string());
    }
  }
  const double seconds = Since(start);
  RemoveNewFiles(folder, before);
  std::printf("seconds=%.3f\n", seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool known = ((mode == "open" || mode == "decode") && argc == 4) || (mode == "pictures" && argc == 6) ||
                     (mode == "check" && argc == 6) || (mode == "framecut" && argc == 7);
  if (!known) {
    std::fprintf(stderr,
                 "usage: split_bench open|decode <ffmpeg> <video> | pictures <ffmpeg> <video> <moves> <fill> |\n"
                 "       check <ffmpeg> <video> every|whole checked|unchecked |\n"
                 "       framecut <ffmpeg> <video> <first> <last> cut|encode\n");
    return 2;
  }
  try {
    if (mode == "pictures") return Pictures(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    if (mode == "check") return Check(argv[2], argv[3], argv[4], argv[5]);
    if (mode == "framecut") {
      return CutFrames(argv[2], argv[3], static_cast<std::uint32_t>(std::atoi(argv[4])),
                      static_cast<std::uint32_t>(std::atoi(argv[5])), argv[6]);
    }
    return Scan(argv[2], argv[3], mode == "decode");
  } catch (const Failure& failure) {
    std::fprintf(stderr, "split_bench: %s\n", failure.what);
    return 1;
  }
}

// Timing program for scripts/bench-runner.
//   clipwright_bench run <duration> <command line>   runs the command through RunTool in job
//       mode and prints the CPU time this process used (the runner's own share; the tool's
//       time is the caller's to measure)
//   clipwright_bench scan <megabytes>                 times the keyframe log scan on a
//       synthetic log of that size
//   clipwright_bench start <count> <command line>     runs a tool that ends at once <count>
//       times through RunTool and prints the median time from start to the end of the run
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "tools/analysis_result.h"
#include "tools/run_observer.h"
#include "tools/scan_capture.h"
#include "tools/tool_runner.h"

namespace {

// The window's half of a run is not timed here: its observer is the progress dialog's.
using clipwright::NullObserver;

int Run(double duration, std::string_view command) {
  NullObserver observer;
  std::atomic<int> abort{0};
  std::string capture;
  if (clipwright::RunTool(capture, observer, abort, command, clipwright::SCAN_JOB, duration) != 1) {
    std::fprintf(stderr, "could not start: %.*s\n", static_cast<int>(command.size()), command.data());
    return 1;
  }
  std::printf("captured_bytes=%zu\nrunner_cpu_s=%.4f\n", capture.size(), static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
  return 0;
}

// A debug log shaped like FFmpeg's for the keyframe command: a time-base line, one select line
// per frame, and a picture line after every keyframe (one per 250 frames).
std::string SyntheticKeyframeLog(std::size_t bytes, std::uint32_t* frames) {
  std::string log = "[graph 0 input from stream 0:0 @ 0x55c0] Setting 'time_base' to value '1/12800'\n";
  log.reserve(bytes + 512);
  char line[256];
  std::uint32_t n = 0;
  for (; log.size() < bytes; ++n) {
    const bool key = n % 250 == 0;
    const unsigned long pts = 512ul * n;
    std::snprintf(line, sizeof line,
                  "[Parsed_select_0 @ 0x55d0] n:%u.000000 pts:%lu.000000 t:%.6f key:%d interlace_type:P pict_type:%c "
                  "scene:nan -> select:%d.000000 select_out:0\n",
                  n, pts, pts / 12800.0, key ? 1 : 0, key ? 'I' : 'P', key ? 1 : 0);
    log += line;
    if (key) {
      std::snprintf(line, sizeof line, "[image2 @ 0x55e0] Opening '/tmp/pictures/%010lu.bmp' for writing\n", pts);
      log += line;
    }
  }
  *frames = n;
  return log;
}

int Scan(double megabytes) {
  std::uint32_t frames = 0;
  clipwright::AnalysisResult result;
  result.capture = SyntheticKeyframeLog(static_cast<std::size_t>(megabytes * 1024 * 1024), &frames);
  NullObserver observer;
  const auto start = std::chrono::steady_clock::now();
  const int verdict = clipwright::ScanCapture(result, observer, clipwright::SCAN_KEYFRAMES, nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (verdict != 1 || result.last_frame_index != frames) {
    std::fprintf(stderr, "scan failed: verdict %d, %u of %u frames\n", verdict, result.last_frame_index, frames);
    return 1;
  }
  std::printf("scan_frames=%u keyframes=%u seconds=%.3f\n", frames, result.keyframe_count, seconds);
  std::printf("scan_mb_per_s=%.1f\n", result.capture.size() / (1024.0 * 1024.0) / seconds);
  return 0;
}

int Start(int count, std::string_view command) {
  NullObserver observer;
  std::atomic<int> abort{0};
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    std::string capture;
    const auto start = std::chrono::steady_clock::now();
    if (clipwright::RunTool(capture, observer, abort, command, clipwright::SCAN_JOB, 0) != 1) return 1;
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("start_ms_median=%.3f\n", times[times.size() / 2]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view what = argc > 1 ? argv[1] : "";
  if (what == "run" && argc == 4) return Run(std::atof(argv[2]), argv[3]);
  if (what == "scan" && argc == 3) return Scan(std::atof(argv[2]));
  if (what == "start" && argc == 4) return Start(std::atoi(argv[2]), argv[3]);
  std::fprintf(stderr,
               "usage: clipwright_bench run <duration> <command line> | scan <megabytes> | start <count> <command line>\n");
  return 2;
}

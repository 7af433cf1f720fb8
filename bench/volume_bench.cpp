// Timing program for scripts/bench-volume: runs the volume job over files, as the page's run
// button would, through its plan and the run driver.
//   volume_bench <ffmpeg> <aacgain> <file>...
// Prints one line per stage the run reported, then the counts; exits 0 when every file succeeded.
#include <cstdio>
#include <string>

#include "jobs/run_driver.h"
#include "volume/volume_plan.h"

namespace {

using clipwright::FileOutcome;
using clipwright::RunSummary;
using clipwright::StageEvent;
using clipwright::Tool;

class PrintingObserver final : public clipwright::RunObserver {
 public:
  void FileStarted(std::string_view) override {}
  void StageReached(const StageEvent& event) override {
    std::printf("stage %d %s %lld\n", static_cast<int>(event.stage), event.text.c_str(),
                static_cast<long long>(event.number));
  }
  void ToolOutput(std::string_view) override {}
  void PredictedTime(double) override {}
  void AbortAllowed(bool) override {}
  void ToolMissing(Tool, bool) override { std::printf("tool missing\n"); }
  void FileEnded(FileOutcome outcome) override { std::printf("file ended %d\n", static_cast<int>(outcome)); }
  void RunEnded(const RunSummary&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  using namespace clipwright;
  if (argc < 4) {
    std::fprintf(stderr, "usage: volume_bench <ffmpeg> <aacgain> <file>...\n");
    return 2;
  }
  RunSettings settings;
  settings.ffmpeg = argv[1];
  settings.aacgain = argv[2];
  VolumeRequest request;
  request.target_level = 100.0;
  for (int i = 3; i < argc; ++i) {
    // The line the probe stores for an MP3; the plan looks for its "Audio: mp3".
    request.files.push_back(InputFile{argv[i], {StreamChoice{0, "Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s"}}, 0});
  }
  PrintingObserver observer;
  const std::atomic<int> abort{0};
  const RunSummary summary = RunFiles(PlanVolume(request, settings), settings, observer, abort);
  std::printf("successes=%d failures=%d\n", summary.successes, summary.failures);
  return summary.counted && summary.failures == 0 ? 0 : 1;
}

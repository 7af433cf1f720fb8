#include "tools/tool_runner.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "common/control_ids.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tools/analysis_result.h"
#include "tools/live_progress.h"

namespace clipwright {
namespace {

// How long one wait for output may block before the abort flag is looked at again.
constexpr int kWaitMs = 40;
// The most that one read takes in; more waiting is taken by the next read.
constexpr std::size_t kChunkLimit = 1024 * 1024;

class ToolRun {
 public:
  ToolRun(platform::ChildProcess& child, std::string& capture, Dialog& progress, int mode, double duration)
      : child_(child), capture_(capture), progress_(progress), mode_(mode), duration_(duration),
        interval_(platform::TickCount()) {}

  // Reads one chunk of what is waiting; false when nothing was.
  bool TakeChunk() {
    const std::string chunk = child_.ReadAvailable(kChunkLimit);
    if (chunk.empty()) return false;
    capture_ += chunk;
    // Only the newest chunk is scanned, and at most once per interval.
    if (interval_.Due(platform::TickCount())) ShowLiveProgress(progress_, mode_, chunk, duration_);
    return true;
  }

  // What the child wrote before it exited is still in the pipe.
  void Drain() {
    while (TakeChunk()) {
    }
  }

 private:
  platform::ChildProcess& child_;
  std::string& capture_;
  Dialog& progress_;
  int mode_;
  double duration_;
  ProgressInterval interval_;
};

}  // namespace

int RunTool(std::string& capture, Dialog& progress, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration) {
  return RunTool(capture, progress, abort, command, mode, duration, RunToolLimits{});
}

int RunTool(std::string& capture, Dialog& progress, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration, const RunToolLimits& limits, const std::string& working_folder) {
  capture.clear();
  const std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(command, working_folder);
  if (!child) return 0;
  ToolRun run(*child, capture, progress, mode, duration);
  // AACGain changes the file in place; stopping it half-way would leave the file broken, so
  // only FFmpeg runs are interrupted.
  const bool interruptible = mode < SCAN_GAIN_ANALYSE;
  bool quit_sent = false;
  std::uint32_t quit_tick = 0;
  const auto quit_time_left = [&] {
    const auto waited = static_cast<std::int64_t>(static_cast<std::uint32_t>(platform::TickCount() - quit_tick));
    return static_cast<int>(std::max<std::int64_t>(0, limits.quit_wait_ms - waited));
  };

  for (;;) {
    child->WaitForOutputOrExit(kWaitMs);
    run.TakeChunk();
    if (child->HasExited()) {
      run.Drain();
      break;
    }
    if (child->OutputEnded()) {
      // Nothing more can be read. After "q" FFmpeg keeps the rest of its time to close its file;
      // otherwise the run is over, once the exit that usually comes with it is seen.
      if (!child->WaitForExit(quit_sent ? quit_time_left() : kWaitMs) && quit_sent) child->Terminate();
      break;
    }
    if (quit_sent) {
      if (quit_time_left() > 0) continue;
      child->Terminate();
      run.Drain();
      break;
    }
    if (interruptible && abort.load() != 0) {
      // FFmpeg's keyboard command to stop: it finishes the output file and exits.
      child->WriteInput("q");
      quit_sent = true;
      quit_tick = platform::TickCount();
    }
  }
  return 1;
}

void ShowOutputSpan(Dialog& progress, std::string_view bytes) {
  // A zero byte ends the text, as it would in the window.
  bytes = bytes.substr(0, bytes.find('\0'));
  progress.SetText(IDC_PROGRESS_STATUS, platform::DecodeToolOutput(bytes));
}

}  // namespace clipwright

#include "tools/tool_runner.h"

#include <algorithm>
#include <cstdint>
#include <memory>

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
  ToolRun(platform::ChildProcess& child, std::string& capture, RunObserver& observer, int mode, double duration)
      : child_(child), capture_(capture), observer_(observer), mode_(mode), duration_(duration),
        interval_(platform::TickCount()) {}

  // Reads one chunk of what is waiting; false when nothing was.
  bool TakeChunk() {
    const std::string chunk = child_.ReadAvailable(kChunkLimit);
    if (chunk.empty()) return false;
    capture_ += chunk;
    // Only the newest chunk is scanned, and at most once per interval.
    if (interval_.Due(platform::TickCount())) ShowLiveProgress(observer_, mode_, chunk, duration_);
    if (mode_ < SCAN_GAIN_ANALYSE) AnswerOverwriteQuestion();
    return true;
  }

  // What the child wrote before it exited is still in the pipe.
  void Drain() {
    while (TakeChunk()) {
    }
  }

 private:
  // FFmpeg reads the answer from its standard input, which is this program's pipe: without an
  // answer it would wait for ever. "n" keeps the existing file; FFmpeg then ends with an error.
  void AnswerOverwriteQuestion() {
    const std::string_view unanswered = std::string_view(capture_).substr(answered_);
    if (!AsksToOverwrite(unanswered)) return;
    child_.WriteInput("n\n");
    answered_ = capture_.size();
  }

  platform::ChildProcess& child_;
  std::string& capture_;
  RunObserver& observer_;
  int mode_;
  double duration_;
  ProgressInterval interval_;
  std::size_t answered_ = 0;  // the capture up to here holds no question left to answer
};

// Ends the child and waits until it is gone; what it printed is read meanwhile.
void EndChild(platform::ChildProcess& child, ToolRun& run) {
  child.Terminate();
  while (!child.HasExited()) {
    if (!child.OutputEnded()) {
      child.WaitForOutputOrExit(kWaitMs);
      run.TakeChunk();
    } else {
      child.WaitForExit(kWaitMs);
    }
  }
  run.Drain();
}

}  // namespace

bool AsksToOverwrite(std::string_view output) {
  const std::size_t line_end = output.find_last_of("\r\n");
  const std::string_view last_line = line_end == std::string_view::npos ? output : output.substr(line_end + 1);
  const std::size_t question = last_line.find("already exists. Overwrite");
  return question != std::string_view::npos && last_line.find("[y/N]", question) != std::string_view::npos;
}

int RunTool(std::string& capture, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration) {
  return RunTool(capture, observer, abort, command, mode, duration, RunToolLimits{});
}

int RunTool(std::string& capture, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration, const RunToolLimits& limits, std::optional<int>* exit_code,
            const std::string& working_folder) {
  capture.clear();
  if (exit_code != nullptr) exit_code->reset();
  const std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(command, working_folder);
  if (!child) return 0;
  ToolRun run(*child, capture, observer, mode, duration);
  // AACGain changes the file in place; stopping it half-way would leave the file broken, so
  // only FFmpeg runs are interrupted.
  const bool interruptible = mode < SCAN_GAIN_ANALYSE;
  bool quit_sent = false;
  std::uint32_t quit_tick = 0;
  const auto quit_time_left = [&] {
    const auto waited = static_cast<std::int64_t>(static_cast<std::uint32_t>(platform::TickCount() - quit_tick));
    return static_cast<int>(std::max<std::int64_t>(0, limits.quit_wait_ms - waited));
  };

  bool ended_from_outside = false;
  for (;;) {
    if (child->OutputEnded()) {
      // Nothing more to read; a tool may still go on without its output.
      child->WaitForExit(kWaitMs);
    } else {
      child->WaitForOutputOrExit(kWaitMs);
      run.TakeChunk();
    }
    if (child->HasExited()) {
      run.Drain();
      break;
    }
    if (quit_sent) {
      // After "q" FFmpeg has this long to finish its file.
      if (quit_time_left() > 0) continue;
      ended_from_outside = true;
      EndChild(*child, run);
      break;
    }
    if (interruptible && abort.load() != 0) {
      // FFmpeg's keyboard command to stop: it finishes the output file and exits.
      child->WriteInput("q");
      quit_sent = true;
      quit_tick = platform::TickCount();
    }
  }
  if (exit_code != nullptr && !ended_from_outside) *exit_code = child->ExitCode();
  return 1;
}

void ShowOutputSpan(RunObserver& observer, std::string_view bytes) {
  // A zero byte ends the text, as it would in the window.
  bytes = bytes.substr(0, bytes.find('\0'));
  observer.ToolOutput(platform::DecodeToolOutput(bytes));
}

}  // namespace clipwright

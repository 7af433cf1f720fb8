// Runs one outside tool as a hidden child process, captures its merged output, reports live
// progress to the run's observer and carries out an abort.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "tools/run_observer.h"

namespace clipwright {

// 0: the tool could not be started (nothing captured). 1: the run is over: the tool has exited,
// by itself or ended after an abort, and `capture` holds what it printed. A run never returns
// while its tool still runs. An FFmpeg run (modes below 4) that asks whether to overwrite an
// existing output file is answered no at once, so nothing is overwritten and nothing waits.
int RunTool(std::string& capture, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration);

// Limits of a run that tests may shorten.
struct RunToolLimits {
  // After "q", how long an FFmpeg run may take to finish its output before it is ended.
  int quit_wait_ms = 10000;
};
// The same with the limits given, the tool's exit code in `*exit_code` (none when it was ended
// from outside or by a signal), and the tool started in `working_folder` (when it is empty, in
// this program's current folder).
int RunTool(std::string& capture, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration, const RunToolLimits& limits, std::optional<int>* exit_code = nullptr,
            const std::string& working_folder = {});

// True when the output ends in FFmpeg's question whether to overwrite an existing output file
// ("File '…' already exists. Overwrite? [y/N]", "Overwrite ? [y/N]" in older versions): the
// question is the last thing it printed, on a line of its own that no line end has closed.
bool AsksToOverwrite(std::string_view output);

// Reports tool output bytes, decoded as tool output, up to a zero byte.
void ShowOutputSpan(RunObserver& observer, std::string_view bytes);

}  // namespace clipwright

// Runs one outside tool as a hidden child process, captures its merged output, shows live
// progress in the progress dialog and carries out an abort.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "common/dialog.h"

namespace clipwright {

// 0: the tool could not be started (nothing captured). 1: the run is over (the tool exited, its
// output ended, or an abort was carried out); `capture` holds what was read.
int RunTool(std::string& capture, Dialog& progress, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration);

// Limits of a run that tests may shorten.
struct RunToolLimits {
  // After "q", how long an FFmpeg run may take to finish its output before it is ended.
  int quit_wait_ms = 10000;
};
// The tool starts in `working_folder`; when it is empty, in this program's current folder.
int RunTool(std::string& capture, Dialog& progress, const std::atomic<int>& abort, std::string_view command,
            int mode, double duration, const RunToolLimits& limits, const std::string& working_folder = {});

// Shows tool output bytes in the progress line (control 9502), decoded as tool output.
void ShowOutputSpan(Dialog& progress, std::string_view bytes);

}  // namespace clipwright

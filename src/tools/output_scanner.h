// The one entry point through which the program runs an outside tool: run it, then read the
// complete output by scan mode into an AnalysisResult.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "tools/run_observer.h"
#include "tools/analysis_result.h"

namespace clipwright {

// Returns a RunVerdict: 0 failure, 1 success, 2 aborted (the abort flag was set when the run
// ended). `gain` is written by mode 4 only and may be null otherwise; `duration` feeds the
// mode-1 prediction (0 = none). The tool starts in `working_folder` (empty: this program's
// current folder).
// FFmpeg's number of the stream a stream line names ("Stream #0:<n>…" at its very start); none
// for any other text.
std::optional<int> StreamNumberOf(std::string_view line);

int ScanOutput(AnalysisResult& result, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
               int mode, int* gain, double duration, const std::string& working_folder = {});

}  // namespace clipwright

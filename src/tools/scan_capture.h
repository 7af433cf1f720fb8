// The scanning half of ScanOutput: reads output that has already been captured, by scan mode.
// Tests and tools can feed it output without running anything.
#pragma once

#include "common/dialog.h"
#include "tools/analysis_result.h"

namespace clipwright {

// Scans `result.capture` and fills `result`; returns 0 (failure: empty output, unknown mode,
// or not what the mode needs) or 1 (success). `gain` is written by mode 4 only. A job (mode 1)
// succeeds only when FFmpeg also ended with exit code 0 (`result.exit_code`): FFmpeg may print
// progress and its summary and still end with an error.
int ScanCapture(AnalysisResult& result, Dialog& progress, int mode, int* gain);

// The frame log modes (2 keyframes, 3 audio frames), reached through ScanCapture.
int ScanKeyframeLog(AnalysisResult& result, Dialog& progress);
int ScanAudioFrameLog(AnalysisResult& result, Dialog& progress);

}  // namespace clipwright

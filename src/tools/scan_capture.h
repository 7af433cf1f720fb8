// The scanning half of ScanOutput: reads output that has already been captured, by scan mode.
// Tests and tools can feed it output without running anything.
#pragma once

#include "tools/analysis_result.h"
#include "tools/run_observer.h"

namespace clipwright {

// Scans `result.capture` and fills `result`; returns 0 (failure: empty output, unknown mode,
// or not what the mode needs) or 1 (success). `gain` is written by mode 4 only. A job (mode 1)
// and AACGain's runs (modes 4, 5) succeed only when the tool also ended with exit code 0
// (`result.exit_code`): a tool may print what looks like success and still end with an error.
int ScanCapture(AnalysisResult& result, RunObserver& observer, int mode, int* gain);

// The frame log modes (2 keyframes, 3 audio frames), reached through ScanCapture.
int ScanKeyframeLog(AnalysisResult& result, RunObserver& observer);
int ScanAudioFrameLog(AnalysisResult& result, RunObserver& observer);

}  // namespace clipwright

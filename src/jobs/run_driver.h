// The one driver of every run of the pages: split, split at every keyframe, concatenate,
// multiplex, separate, convert and volume. It takes a plan and makes its files one after another:
// temp copies, names taken for the run's own files, the tool runs, the check of each output, its
// final name, the clean-up of this run's own files, the summary and the shut-down. Everything it
// has to say goes to the observer.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "jobs/file_plan.h"
#include "jobs/output_check.h"
#include "settings/run_settings.h"
#include "tools/analysis_result.h"
#include "tools/command_line.h"
#include "tools/run_observer.h"

namespace clipwright {

// How a tool command is run and its output scanned: ScanOutput's work, by default.
using ToolRun = std::function<int(AnalysisResult& result, RunObserver& observer, const std::atomic<int>& abort,
                                  const CommandLine& command, int mode, int* gain, double duration,
                                  const std::string& working_folder)>;
// How an output is read back and judged: CheckOutput, by default.
using OutputCheckRun = std::function<CheckResult(const std::string& ffmpeg, const std::string& output,
                                                 const OutputExpectation& expected, const std::atomic<int>& abort)>;

// What tests replace; every empty slot does the real thing.
struct RunHooks {
  ToolRun run_tool;
  OutputCheckRun check_output;
  std::function<bool()> power_off;  // platform::RequestPowerOff
};

// Makes the files of `plan` on the calling (worker) thread and returns the summary it reported.
// The user's files are never written, moved or removed; a file of the run's own that cannot be
// removed is named in the summary. After a run that was not aborted, asks for the shut-down when
// the settings say so.
RunSummary RunFiles(const RunPlan& plan, const RunSettings& settings, RunObserver& observer,
                    const std::atomic<int>& abort, const RunHooks& hooks = {});

}  // namespace clipwright

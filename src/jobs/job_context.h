// The record of one FFmpeg run of a page: filled by the page's run button, shared by the
// progress dialog and the worker, freed by the page after the dialog has ended.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/split_range.h"
#include "analysis/stream_model.h"
#include "common/dialog.h"
#include "tools/analysis_result.h"

namespace clipwright {

enum JobOperation : int {
  OP_SPLIT = 1,
  OP_CONCATENATE = 2,
  OP_MULTIPLEX = 3,
  OP_SEPARATE = 4,
  OP_CONVERT = 5,
  OP_SPLIT_AT_KEYFRAMES = 7,
};

// How a job's command is run: ScanOutput's signature.
using ScanFunction = std::function<int(AnalysisResult& result, Dialog& progress, const std::atomic<int>& abort,
                                       std::string_view command, int mode, int* gain, double duration)>;

struct JobContext {
  std::atomic<int> abort{0};  // 1 once the user pressed 中断
  int operation = 0;          // a JobOperation
  std::string container;      // the page's output container, read while the command is built
  double start_time = 0;      // the split range in seconds as the page shows it (split only)
  double end_time = 0;
  // Split: where FFmpeg reads that range, when it is not simply from start_time to end_time (a
  // video's cut goes by decode times).
  std::optional<SplitCut> cut;
  FileList* files = nullptr;  // the list page's files (concatenate, separate, convert)
  SplitPageState* split = nullptr;  // the split page's frame data (split at every keyframe)
  std::vector<std::string> temp_slots;  // paths of temp copies made by this run, by slot
  std::string concat_list;              // the concat list this run made; empty when there is none
  std::vector<std::string> left_behind;  // files of this run that could not be removed

  // Where log.txt is kept, ending in a separator; empty: the executable's folder.
  std::string program_folder;
  // Replaceable for tests; empty: ScanOutput and platform::RequestPowerOff.
  ScanFunction scan_output;
  std::function<bool()> power_off;
};

}  // namespace clipwright

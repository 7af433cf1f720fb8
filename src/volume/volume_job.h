// The record of one run of the volume page: filled by the page's run button, shared by the
// progress dialog and the worker, freed by the page after the dialog has ended.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "analysis/stream_model.h"
#include "common/dialog.h"
#include "tools/analysis_result.h"

namespace clipwright {

// How a step's tool is run: ScanOutput's signature with the duration left at 0.
using VolumeScanFunction =
    std::function<int(AnalysisResult& result, Dialog& progress, const std::atomic<int>& abort,
                      std::string_view command, int mode, int* gain, const std::string& working_folder)>;

struct VolumeJob {
  std::atomic<int> abort{0};         // 1 once the user pressed 中断
  const FileList* files = nullptr;   // the volume page's files; entry n belongs to row n of 7005
  // Replaceable for tests; empty: ScanOutput and platform::RequestPowerOff.
  VolumeScanFunction scan_output;
  std::function<bool()> power_off;
};

}  // namespace clipwright

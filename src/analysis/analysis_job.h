// The record of one analysis batch: the files a page is adding, where their stream information
// goes, and the state that the progress dialog and the worker share.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "analysis/stream_model.h"
#include "common/control_ids.h"
#include "common/dialog.h"
#include "common/requests.h"

namespace clipwright {

// The controls a probed file lands in. A single-file target has a path control and no file
// list; a list page has a file list and no path control.
struct ProbeTarget {
  int path_control = 0;  // static text that shows the path (single-file targets), else 0
  int file_list = 0;     // file list view (list pages), else 0
  int stream_list = 0;
  int run_button = 0;
};

inline constexpr ProbeTarget kSplitTarget{IDC_SPLIT_PATH, 0, IDC_SPLIT_STREAMS, IDC_SPLIT_RUN};
inline constexpr ProbeTarget kMultiplexTarget1{IDC_MUX_PATH1, 0, IDC_MUX_STREAMS1, IDC_MUX_RUN};
inline constexpr ProbeTarget kMultiplexTarget2{IDC_MUX_PATH2, 0, IDC_MUX_STREAMS2, IDC_MUX_RUN};
inline constexpr ProbeTarget kConcatenateTarget{0, IDC_CONCAT_FILES, IDC_CONCAT_STREAMS, IDC_CONCAT_RUN};
inline constexpr ProbeTarget kSeparateTarget{0, IDC_SEPARATE_FILES, IDC_SEPARATE_STREAMS, IDC_SEPARATE_RUN};
inline constexpr ProbeTarget kConvertTarget{0, IDC_CONVERT_FILES, IDC_CONVERT_STREAMS, IDC_CONVERT_RUN};
inline constexpr ProbeTarget kVolumeTarget{0, IDC_VOLUME_FILES, IDC_VOLUME_STREAMS, IDC_VOLUME_RUN};

// Single-file targets take one file from the open-file dialog and from a drop.
inline bool IsSingleFileTarget(const ProbeTarget& target) { return target.path_control != 0; }

struct AnalysisJob;

// The split page's analysis of its file after a successful probe (the keyframe scan for video,
// the audio-frame scan otherwise). Returns 1 when the result is usable, else 0.
using SplitScan =
    std::function<int(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path)>;
// Tells the split page that its file has been probed and scanned without failure.
using SplitAnalysed = std::function<void(Dialog& page)>;

struct AnalysisJob {
  ProbeTarget target;
  FileList* files = nullptr;         // the list page's storage; null for single-file targets
  SplitPageState* split = nullptr;   // the split page's storage; null elsewhere
  std::vector<std::string> paths;    // the batch, in order; filled by AddFiles
  std::atomic<int> abort{0};         // set to 1 by the progress dialog's 中断
  int error = 0;                     // 1 once any file of the batch was not added
  // Folder of error.txt, ending in a separator; empty means the executable's folder.
  std::string error_folder;
  // Filled by the split page only; empty slots mean no scan and no notice.
  SplitScan split_scan;
  SplitAnalysed split_analysed;
};

}  // namespace clipwright

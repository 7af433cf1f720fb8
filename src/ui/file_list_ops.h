// The operations the four list pages share: delete, move up, move down and delete all, which keep
// the file-list rows and the page's storage in step (row n is entry n), the stream list of the
// focused file, and a stream's check recorded by a mouse click.
#pragma once

#include "analysis/stream_model.h"
#include "jobs/run_requests.h"
#include "ui/control_ids.h"
#include "ui/dialog.h"

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

// Single-file targets take one file from the open-file dialog and from a drop.
inline bool IsSingleFileTarget(const ProbeTarget& target) { return target.path_control != 0; }

// How a page's stream list shows the streams of its focused file.
enum class StreamChecks {
  kUnchecked,  // concatenate: every row starts unchecked; the rows' checks are what the job reads
  kFromFlags,  // separate, convert: the check marks mirror the stored flags
  kNone,       // volume: the list has no check boxes
};

struct ListPage {
  int file_list = 0;
  int stream_list = 0;
  int run_button = 0;
  StreamChecks checks = StreamChecks::kNone;

  ProbeTarget target() const { return ProbeTarget{0, file_list, stream_list, run_button}; }
};

inline constexpr ListPage kConcatenateList{IDC_CONCAT_FILES, IDC_CONCAT_STREAMS, IDC_CONCAT_RUN,
                                           StreamChecks::kUnchecked};
inline constexpr ListPage kSeparateList{IDC_SEPARATE_FILES, IDC_SEPARATE_STREAMS, IDC_SEPARATE_RUN,
                                        StreamChecks::kFromFlags};
inline constexpr ListPage kConvertList{IDC_CONVERT_FILES, IDC_CONVERT_STREAMS, IDC_CONVERT_RUN,
                                       StreamChecks::kFromFlags};
inline constexpr ListPage kVolumeList{IDC_VOLUME_FILES, IDC_VOLUME_STREAMS, IDC_VOLUME_RUN, StreamChecks::kNone};

// The list page whose file list has this id; null for any other id.
const ListPage* FindListPage(int file_list);

// Fills the stream list with the streams of file `row` (emptied when the row holds no file).
// The Win32 page calls it when a row gains the focus; the operations below call it themselves
// after they select a row, so a second refresh from the list's notice changes nothing.
void ShowFileStreams(Dialog& page, const ListPage& list, const FileList& files, int row);

// Selects and focuses `row` and shows its streams.
void SelectFile(Dialog& page, const ListPage& list, const FileList& files, int row);

// Each returns 1 when it acted, 0 when its precondition failed (nothing changed then).
int DeleteSelectedFile(Dialog& page, const ListPage& list, FileList& files);
int MoveFileUp(Dialog& page, const ListPage& list, FileList& files);
int MoveFileDown(Dialog& page, const ListPage& list, FileList& files);
// Empties both lists and the storage and disables the run button; adding starts at row 0.
int DeleteAllFiles(Dialog& page, const ListPage& list, FileList& files);

// The rows of a stream list as a run takes them: each the stream its line names (the probe keeps
// only lines that begin with "Stream #0:<n>"), chosen where its check box is checked.
std::vector<StreamChoice> StreamRows(Dialog& page, int stream_list);
// The files of a list page as a run takes them: each row's path with its streams (chosen where
// their flag is set) and its play time.
std::vector<InputFile> ListedFiles(Dialog& page, const ListPage& list, const FileList& files);

// A mouse click on the check box of stream row `stream_row`: stores the row's check state as
// the flag of that stream of the selected file. 0 when no file is selected or the row is none of
// its streams.
int RecordStreamCheck(Dialog& page, const ListPage& list, FileList& files, int stream_row);

}  // namespace clipwright

// What the four list pages share: their five list buttons, drops on the file list, the stream
// list that follows the focused file, check-box clicks, and the run.
#pragma once

#include "ui/win32.h"

#include "analysis/file_list_ops.h"
#include "jobs/job_context.h"

namespace clipwright::ui {

// What a page's run button starts, with the page's files; returns when the run's dialog has
// been closed.
using PageRun = void (*)(HWND page, FileList& files);

struct ListPageControls {
  ListPage list;
  int add = 0;
  int remove = 0;
  int up = 0;
  int down = 0;
  int remove_all = 0;
  PageRun run = nullptr;
};

// The FFmpeg job of an operation, for the pages whose run is one.
template <JobOperation kOperation>
void RunListJob(HWND page, FileList& files);

inline constexpr ListPageControls kConcatenatePage{kConcatenateList, IDC_CONCAT_ADD,    IDC_CONCAT_DELETE,
                                                   IDC_CONCAT_UP,    IDC_CONCAT_DOWN,   IDC_CONCAT_DELETE_ALL,
                                                   RunListJob<OP_CONCATENATE>};
inline constexpr ListPageControls kSeparatePage{kSeparateList,  IDC_SEPARATE_ADD,  IDC_SEPARATE_DELETE,
                                                IDC_SEPARATE_UP, IDC_SEPARATE_DOWN, IDC_SEPARATE_DELETE_ALL,
                                                RunListJob<OP_SEPARATE>};
inline constexpr ListPageControls kConvertPage{kConvertList,  IDC_CONVERT_ADD,  IDC_CONVERT_DELETE,
                                               IDC_CONVERT_UP, IDC_CONVERT_DOWN, IDC_CONVERT_DELETE_ALL,
                                               RunListJob<OP_CONVERT>};

// Handles the messages the list pages share (commands of the five buttons and the run button,
// drops, list notices, MSG_STREAM_CHECK_CHANGED); true when `message` was one of them.
bool HandleListPageMessage(HWND page, const ListPageControls& controls, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the page's FFmpeg job under the job dialog; `files` is the page's list, or null for a
// page without one. Returns when the user has closed the dialog.
void RunPageJob(HWND page, JobOperation operation, FileList* files);

template <JobOperation kOperation>
void RunListJob(HWND page, FileList& files) {
  RunPageJob(page, kOperation, &files);
}

}  // namespace clipwright::ui

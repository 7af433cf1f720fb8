// What the four list pages share: their five list buttons, drops on the file list, the stream
// list that follows the focused file, check-box clicks, and the run.
#pragma once

#include "ui/win32.h"

#include "ui/file_list_ops.h"

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

// Handles the messages the list pages share (commands of the five buttons and the run button,
// drops, list notices, MSG_STREAM_CHECK_CHANGED); true when `message` was one of them.
bool HandleListPageMessage(HWND page, const ListPageControls& controls, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

#include "ui/list_page.h"

#include <memory>

#include "ui/main_window.h"
#include "ui/page_controls.h"
#include "ui/page_intake.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The list refills when a row gains the focus; a row that is only selected, or loses its
// state, changes nothing.
void OnFileListChanged(HWND page, const ListPage& list, FileList& files, const NMLISTVIEW& notice) {
  if (notice.iItem == -1 || notice.uNewState == 0 || notice.uNewState == LVIS_SELECTED) return;
  WindowDialog controls(page);
  ShowFileStreams(controls, list, files, notice.iItem);
}

// Only a mouse click on a stream's check box stores its flag; the space bar and clicks on the
// text change the mark alone, and the next refill shows the flag again.
void OnStreamListClicked(HWND page, const ListPage& list) {
  HWND streams = GetDlgItem(page, list.stream_list);
  LVHITTESTINFO hit{};
  GetCursorPos(&hit.pt);
  ScreenToClient(streams, &hit.pt);
  SendMessageW(streams, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
    PostMessageW(page, MSG_STREAM_CHECK_CHANGED, 0, hit.iItem);
  }
}

bool OnNotify(HWND page, const ListPageControls& controls, FileList& files, const NMHDR& header) {
  const ListPage& list = controls.list;
  if (header.code == LVN_ITEMCHANGED && static_cast<int>(header.idFrom) == list.file_list) {
    OnFileListChanged(page, list, files, reinterpret_cast<const NMLISTVIEW&>(header));
    return true;
  }
  if (header.code == NM_CLICK && static_cast<int>(header.idFrom) == list.stream_list &&
      list.checks == StreamChecks::kFromFlags) {
    OnStreamListClicked(page, list);
    return true;
  }
  return false;
}

bool OnCommand(HWND page, const ListPageControls& controls, FileList& files, int id) {
  const ListPage& list = controls.list;
  WindowDialog dialog(page);
  if (id == controls.add) {
    AddFilesToPage(page, list.target(), nullptr);
  } else if (id == controls.remove) {
    DeleteSelectedFile(dialog, list, files);
  } else if (id == controls.up) {
    MoveFileUp(dialog, list, files);
  } else if (id == controls.down) {
    MoveFileDown(dialog, list, files);
  } else if (id == controls.remove_all) {
    DeleteAllFiles(dialog, list, files);
  } else if (id == list.run_button && controls.run != nullptr) {
    controls.run(page, files);
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool HandleListPageMessage(HWND page, const ListPageControls& controls, UINT message, WPARAM wparam, LPARAM lparam) {
  PageState* state = PageStateOf(page);
  if (!state) return false;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(page, controls, state->files, LOWORD(wparam));
    case WM_NOTIFY:
      return OnNotify(page, controls, state->files, *reinterpret_cast<const NMHDR*>(lparam));
    case MSG_FILES_DROPPED:
      AddFilesToPage(page, controls.list.target(), reinterpret_cast<HDROP>(wparam));
      return true;
    case MSG_STREAM_CHECK_CHANGED: {
      WindowDialog dialog(page);
      RecordStreamCheck(dialog, controls.list, state->files, static_cast<int>(lparam));
      return true;
    }
  }
  return false;
}

}  // namespace clipwright::ui

#include "ui/split_page.h"

#include "common/control_ids.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The range controls, which the split at every keyframe does not use.
constexpr int kRangeControls[] = {IDC_SPLIT_START_TIME, IDC_SPLIT_RESET, IDC_SPLIT_START_TRACK,
                                  IDC_SPLIT_END_TIME,   IDC_SPLIT_MAXIMUM, IDC_SPLIT_END_TRACK};

void EnableRange(HWND page) {
  const bool whole_file = IsDlgButtonChecked(page, IDC_SPLIT_AT_KEYFRAMES) == BST_CHECKED;
  for (int id : kRangeControls) EnableWindow(GetDlgItem(page, id), !whole_file);
}

}  // namespace

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_SPLIT_STREAMS, 1, kStreamListStyle);
      FillContainerCombo(page, IDC_SPLIT_CONTAINER);
      SendDlgItemMessageW(page, IDC_SPLIT_START_TRACK, TBM_SETPOS, TRUE, 0);
      SendDlgItemMessageW(page, IDC_SPLIT_END_TRACK, TBM_SETPOS, TRUE, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_SPLIT_AT_KEYFRAMES) {
        EnableRange(page);
        return TRUE;
      }
      return FALSE;
    case MSG_FILES_DROPPED:
      ReleaseDrop(wparam);
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

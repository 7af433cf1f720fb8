#include "ui/concatenate_page.h"

#include "common/control_ids.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConcatenatePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_CONCAT_FILES, 1, kFileListStyle);
      SetUpList(GetDlgItem(page, IDC_CONCAT_STREAMS), kStreamListStyle);
      FillContainerCombo(page, IDC_CONCAT_CONTAINER);
      return TRUE;
    case MSG_FILES_DROPPED:
      ReleaseDrop(wparam);
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

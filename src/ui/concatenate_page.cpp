#include "ui/concatenate_page.h"

#include "common/control_ids.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConcatenatePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  if (message == WM_INITDIALOG) {
    KeepPageState(page, lparam);
    InstallDropList(page, IDC_CONCAT_FILES, 1, kFileListStyle);
    SetUpList(GetDlgItem(page, IDC_CONCAT_STREAMS), kStreamListStyle);
    FillContainerCombo(page, IDC_CONCAT_CONTAINER);
    return TRUE;
  }
  return HandleListPageMessage(page, kConcatenatePage, message, wparam, lparam) ? TRUE : FALSE;
}

}  // namespace clipwright::ui

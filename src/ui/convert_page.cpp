#include "ui/convert_page.h"

#include "common/control_ids.h"
#include "jobs/option_lists.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConvertPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_CONVERT_FILES, 1, kFileListStyle);
      SetUpList(GetDlgItem(page, IDC_CONVERT_STREAMS), kStreamListStyle);
      for (const OptionList& list : ConvertOptionLists()) FillCombo(page, list.combo_id, list.items, 0);
      FillContainerCombo(page, IDC_CONVERT_CONTAINER);
      return TRUE;
    case MSG_FILES_DROPPED:
      ReleaseDrop(wparam);
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

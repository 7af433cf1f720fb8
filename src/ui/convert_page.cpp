#include "ui/convert_page.h"

#include "common/control_ids.h"
#include "jobs/option_lists.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConvertPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  if (message == WM_INITDIALOG) {
    KeepPageState(page, lparam);
    InstallDropList(page, IDC_CONVERT_FILES, 1, kFileListStyle);
    SetUpList(GetDlgItem(page, IDC_CONVERT_STREAMS), kStreamListStyle);
    for (const OptionList& list : ConvertOptionLists()) FillCombo(page, list.combo_id, list.items, 0);
    FillContainerCombo(page, IDC_CONVERT_CONTAINER);
    return TRUE;
  }
  // The option lists are read when a run builds its commands; none of their notices matter.
  return HandleListPageMessage(page, kConvertPage, message, wparam, lparam) ? TRUE : FALSE;
}

}  // namespace clipwright::ui

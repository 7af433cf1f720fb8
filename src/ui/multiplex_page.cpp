#include "ui/multiplex_page.h"

#include "common/control_ids.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK MultiplexPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_MUX_STREAMS1, 1, kStreamListStyle);
      InstallDropList(page, IDC_MUX_STREAMS2, 2, kStreamListStyle);
      FillContainerCombo(page, IDC_MUX_CONTAINER);
      return TRUE;
    case MSG_FILES_DROPPED:
      ReleaseDrop(wparam);
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

#include "ui/separate_page.h"

#include "common/control_ids.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK SeparatePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_SEPARATE_FILES, 1, kFileListStyle);
      SetUpList(GetDlgItem(page, IDC_SEPARATE_STREAMS), kStreamListStyle);
      FillContainerCombo(page, IDC_SEPARATE_CONTAINER);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_SEPARATE_AUDIO_ONLY) {
        // With 音声のみ抽出 the job takes the audio streams, not the user's choice.
        const bool audio_only = IsDlgButtonChecked(page, IDC_SEPARATE_AUDIO_ONLY) == BST_CHECKED;
        EnableWindow(GetDlgItem(page, IDC_SEPARATE_STREAMS), !audio_only);
        return TRUE;
      }
      break;
  }
  return HandleListPageMessage(page, kSeparatePage, message, wparam, lparam) ? TRUE : FALSE;
}

}  // namespace clipwright::ui

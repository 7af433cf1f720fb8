#include "ui/volume_page.h"

#include "common/control_ids.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "volume/target_level.h"

namespace clipwright::ui {

INT_PTR CALLBACK VolumePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_VOLUME_FILES, 1, kFileListStyle);
      SetUpList(GetDlgItem(page, IDC_VOLUME_STREAMS), kFileListStyle);
      return TRUE;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMUPDOWN*>(lparam);
      if (notice->hdr.code == UDN_DELTAPOS) {
        WindowDialog controls(page);
        controls.SetText(IDC_VOLUME_TARGET, StepTargetLevel(controls.Text(IDC_VOLUME_TARGET), notice->iDelta));
      }
      return FALSE;
    }
    case MSG_FILES_DROPPED:
      ReleaseDrop(wparam);
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

#include "ui/volume_page.h"

#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"
#include "volume/target_level.h"
#include "volume/volume_plan.h"

namespace clipwright::ui {
namespace {

// The run button: the volume job of every listed file under the AACGain variant of the dialog.
void Run(HWND page, FileList& files) {
  WindowDialog controls(page);
  VolumeRequest request;
  request.files = ListedFiles(controls, kVolumeList, files);
  request.target_level = ReadTargetLevel(controls.Text(IDC_VOLUME_TARGET));
  request.audio_only = controls.IsChecked(IDC_VOLUME_AUDIO_ONLY);
  RunSettings settings = ReadRunSettings(page);
  settings.power_off = controls.IsChecked(IDC_VOLUME_POWER_OFF);
  RunPlanDialog(page, RunKind::kVolume, PlanVolume(request, settings), settings);
}

constexpr ListPageControls kVolumePage{kVolumeList,    IDC_VOLUME_ADD,  IDC_VOLUME_DELETE,     IDC_VOLUME_UP,
                                       IDC_VOLUME_DOWN, IDC_VOLUME_DELETE_ALL, Run};

}  // namespace

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
        // Every click moves the level by one tenth; the control's own position plays no part.
        WindowDialog controls(page);
        controls.SetText(IDC_VOLUME_TARGET, StepTargetLevel(controls.Text(IDC_VOLUME_TARGET), notice->iDelta));
        return TRUE;
      }
      break;
    }
  }
  return HandleListPageMessage(page, kVolumePage, message, wparam, lparam) ? TRUE : FALSE;
}

}  // namespace clipwright::ui

#include "ui/volume_page.h"

#include <memory>

#include "common/control_ids.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/progress_dialog.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"
#include "volume/target_level.h"
#include "volume/volume_worker.h"

namespace clipwright::ui {
namespace {

// The run button: the volume job under the AACGain variant of the progress dialog.
void RunVolumeJob(HWND page, FileList& files) {
  auto job = std::make_unique<VolumeJob>();
  job->files = &files;
  WindowDialog controls(page);
  WindowRequests requests(page);
  VolumeDialog(page, job->abort, [&](Dialog& progress) { VolumeWorker(*job, progress, controls, requests); });
}

constexpr ListPageControls kVolumePage{kVolumeList,    IDC_VOLUME_ADD,  IDC_VOLUME_DELETE,     IDC_VOLUME_UP,
                                       IDC_VOLUME_DOWN, IDC_VOLUME_DELETE_ALL, RunVolumeJob};

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

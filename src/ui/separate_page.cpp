#include "ui/separate_page.h"

#include "jobs/job_plans.h"
#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The chosen streams of every listed file, or with 音声のみ抽出 every audio stream.
void Run(HWND page, FileList& files) {
  WindowDialog controls(page);
  SeparateRequest request;
  request.files = ListedFiles(controls, kSeparateList, files);
  request.audio_only = controls.IsChecked(IDC_SEPARATE_AUDIO_ONLY);
  request.container = controls.ComboText(IDC_SEPARATE_CONTAINER);
  const RunSettings settings = ReadRunSettings(page);
  RunPlanDialog(page, RunKind::kSeparate, PlanSeparate(request, settings), settings);
}

constexpr ListPageControls kSeparatePage{kSeparateList,  IDC_SEPARATE_ADD,  IDC_SEPARATE_DELETE,     IDC_SEPARATE_UP,
                                         IDC_SEPARATE_DOWN, IDC_SEPARATE_DELETE_ALL, Run};

}  // namespace

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

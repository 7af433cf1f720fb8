#include "ui/multiplex_page.h"

#include "jobs/job_plans.h"
#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/page_intake.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The checked streams of the two files into one output.
void Run(HWND page) {
  WindowDialog controls(page);
  MultiplexRequest request;
  request.first = OpenedFile(page, kMultiplexTarget1);
  request.second = OpenedFile(page, kMultiplexTarget2);
  request.container = controls.ComboText(IDC_MUX_CONTAINER);
  const RunSettings settings = ReadRunSettings(page);
  RunPlanDialog(page, RunKind::kMultiplex, PlanMultiplex(request, settings), settings);
}

}  // namespace

// The two inputs keep their streams' check marks in their lists, which the job reads; the page
// has no storage of its own.
INT_PTR CALLBACK MultiplexPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      KeepPageState(page, lparam);
      InstallDropList(page, IDC_MUX_STREAMS1, 1, kStreamListStyle);
      InstallDropList(page, IDC_MUX_STREAMS2, 2, kStreamListStyle);
      FillContainerCombo(page, IDC_MUX_CONTAINER);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_MUX_OPEN1:
          AddFilesToPage(page, kMultiplexTarget1, nullptr);
          return TRUE;
        case IDC_MUX_OPEN2:
          AddFilesToPage(page, kMultiplexTarget2, nullptr);
          return TRUE;
        case IDC_MUX_RUN:
          Run(page);
          return TRUE;
      }
      return FALSE;
    case MSG_FILES_DROPPED:
      AddFilesToPage(page, lparam == IDC_MUX_STREAMS2 ? kMultiplexTarget2 : kMultiplexTarget1,
                     reinterpret_cast<HDROP>(wparam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace clipwright::ui

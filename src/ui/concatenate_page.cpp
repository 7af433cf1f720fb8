#include "ui/concatenate_page.h"

#include "jobs/job_plans.h"
#include "jobs/batch_checks.h"
#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/list_page.h"
#include "ui/page_controls.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The listed files joined in list order, with the streams checked in the stream list. Files
// whose streams differ from the first's are named first, and nothing runs unless the user says so.
void Run(HWND page, FileList& files) {
  WindowDialog controls(page);
  const std::vector<InputFile> listed = ListedFiles(controls, kConcatenateList, files);
  const std::vector<FileProblem> mismatches = CompareForJoin(listed);
  if (!mismatches.empty() &&
      controls.MessageBox(JoinQuestion(mismatches), kJoinQuestionCaption, kMessageYesNo) != kAnswerYes) {
    return;
  }
  ConcatenateRequest request;
  for (const InputFile& file : listed) {
    request.paths.push_back(file.path);
    request.stamps.push_back(file.stamp);
  }
  request.streams = StreamRows(controls, IDC_CONCAT_STREAMS);
  request.container = controls.ComboText(IDC_CONCAT_CONTAINER);
  const RunSettings settings = ReadRunSettings(page);
  RunPlanDialog(page, RunKind::kConcatenate, PlanConcatenate(request, settings), settings);
}

constexpr ListPageControls kConcatenatePage{kConcatenateList, IDC_CONCAT_ADD,  IDC_CONCAT_DELETE,     IDC_CONCAT_UP,
                                            IDC_CONCAT_DOWN,  IDC_CONCAT_DELETE_ALL, Run};

}  // namespace

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

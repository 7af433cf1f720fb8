#include "ui/convert_page.h"

#include "jobs/job_plans.h"
#include "ui/control_ids.h"
#include "ui/job_dialog.h"
#include "ui/list_page.h"
#include "ui/option_lists.h"
#include "ui/page_controls.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

// The item chosen in an option list; nothing for "指定なし" or no choice.
std::string Chosen(Dialog& page, int combo) { return page.ComboIndex(combo) > 0 ? page.ComboText(combo) : std::string(); }

ConvertChoices ReadChoices(Dialog& page) {
  ConvertChoices c;
  c.video_codec = Chosen(page, IDC_CONVERT_VCODEC);
  c.preset = Chosen(page, IDC_CONVERT_PRESET);
  c.tune = Chosen(page, IDC_CONVERT_TUNE);
  c.video_profile = Chosen(page, IDC_CONVERT_VPROFILE);
  c.level = Chosen(page, IDC_CONVERT_LEVEL);
  c.video_quality = Chosen(page, IDC_CONVERT_VQUALITY);
  c.frame_rate = Chosen(page, IDC_CONVERT_FRAME_RATE);
  c.frame_size = Chosen(page, IDC_CONVERT_FRAME_SIZE);
  c.aspect = Chosen(page, IDC_CONVERT_ASPECT);
  c.pixel_format = Chosen(page, IDC_CONVERT_PIX_FMT);
  c.audio_codec = Chosen(page, IDC_CONVERT_ACODEC);
  c.audio_profile = Chosen(page, IDC_CONVERT_APROFILE);
  c.audio_quality = Chosen(page, IDC_CONVERT_AQUALITY);
  c.sample_rate = Chosen(page, IDC_CONVERT_SAMPLE_RATE);
  c.channels = Chosen(page, IDC_CONVERT_CHANNELS);
  c.cutoff = Chosen(page, IDC_CONVERT_CUTOFF);
  c.volume = Chosen(page, IDC_CONVERT_VOLUME);
  c.subtitle_codec = Chosen(page, IDC_CONVERT_SCODEC);
  c.speed = Chosen(page, IDC_CONVERT_SPEED);
  return c;
}

// Every listed file converted with the chosen options; the computer may shut down after.
void Run(HWND page, FileList& files) {
  WindowDialog controls(page);
  ConvertRequest request;
  request.files = ListedFiles(controls, kConvertList, files);
  request.choices = ReadChoices(controls);
  request.container = controls.ComboText(IDC_CONVERT_CONTAINER);
  RunSettings settings = ReadRunSettings(page);
  settings.power_off = controls.IsChecked(IDC_CONVERT_POWER_OFF);
  RunPlanDialog(page, RunKind::kConvert, PlanConvert(request, settings), settings);
}

constexpr ListPageControls kConvertPage{kConvertList,  IDC_CONVERT_ADD,  IDC_CONVERT_DELETE,     IDC_CONVERT_UP,
                                        IDC_CONVERT_DOWN, IDC_CONVERT_DELETE_ALL, Run};

}  // namespace

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
  // The option lists are read when a run is started; none of their notices matter.
  return HandleListPageMessage(page, kConvertPage, message, wparam, lparam) ? TRUE : FALSE;
}

}  // namespace clipwright::ui

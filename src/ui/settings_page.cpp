#include "ui/settings_page.h"

#include <commdlg.h>

#include <array>

#include "common/limits.h"
#include "settings/settings_lists.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/page_controls.h"
#include "ui/tool_requests.h"
#include "ui/window_dialog.h"
#include "ui/window_requests.h"

namespace clipwright::ui {
namespace {

// The boxes of SettingsBoxes(), in its order; a box's list has the id of the box + 1.
constexpr std::array<int, 21> kBoxIds = {
    IDC_OPT_Y,           IDC_OPT_N,         IDC_OPT_THREADS,      IDC_OPT_STRICT,    IDC_OPT_DEADLINE,
    IDC_OPT_CPU_USED,    IDC_OPT_ROW_MT,    IDC_OPT_LOOK_AHEAD,   IDC_OPT_LOOK_AHEAD_DEPTH,
    IDC_OPT_BV0,         IDC_OPT_TRANSPOSE, IDC_OPT_FASTSTART,    IDC_OPT_LOOP_GLOBAL_HEADER,
    IDC_OPT_ANNEXB,      IDC_OPT_SEGMENT_MPEGTS, IDC_OPT_MAP_CHAPTERS, IDC_OPT_MAP_METADATA,
    IDC_OPT_BITEXACT,    IDC_OPT_STRIP_ID3, IDC_COMMAND_LOG,      IDC_TEMP_COPIES,
};
static_assert(kBoxIds[kStripTagsBox] == IDC_OPT_STRIP_ID3 && kBoxIds[kCommandLogBox] == IDC_COMMAND_LOG &&
              kBoxIds[kTempCopiesBox] == IDC_TEMP_COPIES);
static_assert(kBoxIds[kGeneralOptionCount - 1] == IDC_OPT_BITEXACT);

// The argument of a general option's box: empty when it is not checked, else its caption as the
// page shows it, followed, for a box with a value list, by a blank ("=" for "-vf transpose") and
// the selected value. A box whose list has nothing chosen gives nothing: its option without a
// value would make FFmpeg refuse every command.
std::string OptionText(Dialog& settings, std::size_t entry) {
  const int box = kBoxIds[entry];
  if (!settings.IsChecked(box)) return {};
  std::string text = settings.Text(box);
  if (SettingsBoxes()[entry].list >= 0) {
    if (settings.ComboIndex(box + 1) < 0) return {};
    text += box == IDC_OPT_TRANSPOSE ? "=" : " ";
    text += settings.ComboText(box + 1);
  }
  return text;
}

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG: {
      KeepPageState(page, lparam);
      // Nothing is selected yet: loading the settings chooses every list's item.
      WindowDialog controls(page);
      for (std::size_t i = 0; i < kBoxIds.size(); ++i) {
        const int list = SettingsBoxes()[i].list;
        if (list < 0) continue;
        for (const std::string& item : SettingsLists()[static_cast<std::size_t>(list)].items) {
          controls.AddComboItem(kBoxIds[i] + 1, item);
        }
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_FFMPEG_PICK:
        case IDC_ALT_FFMPEG_PICK:
        case IDC_AACGAIN_PICK:
          PickToolPath(page, LOWORD(wparam));
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void PickToolPath(HWND page, int button) {
  wchar_t path[PATH_CAPACITY] = {};
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = page;
  dialog.hInstance = GetModuleHandleW(nullptr);
  // One filter entry: its name, its pattern, and the second terminator that ends the list.
  dialog.lpstrFilter = button == IDC_AACGAIN_PICK ? L"aacgain\0*.exe\0" : L"ffmpeg\0*.exe\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = PATH_CAPACITY;
  dialog.lpstrDefExt = L"exe";
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&dialog)) SetDlgItemTextW(page, button - 1, path);
}

int SettingsBoxId(std::size_t entry) { return entry < kBoxIds.size() ? kBoxIds[entry] : 0; }

void ShowStoredSettings(Dialog& settings, const StoredSettings& stored) {
  settings.SetText(IDC_FFMPEG_PATH, stored.ffmpeg_path);
  settings.SetText(IDC_ALT_FFMPEG_PATH, stored.alt_ffmpeg_path);
  settings.SetText(IDC_AACGAIN_PATH, stored.aacgain_path);
  for (std::size_t i = 0; i < kBoxIds.size() && i < stored.boxes.size(); ++i) {
    settings.SetChecked(kBoxIds[i], stored.boxes[i].checked);
    if (SettingsBoxes()[i].list >= 0) settings.SetComboIndex(kBoxIds[i] + 1, stored.boxes[i].choice);
  }
}

void KeepStoredSettings(Dialog& settings, StoredSettings* stored) {
  stored->ffmpeg_path = settings.Text(IDC_FFMPEG_PATH);
  stored->alt_ffmpeg_path = settings.Text(IDC_ALT_FFMPEG_PATH);
  stored->aacgain_path = settings.Text(IDC_AACGAIN_PATH);
  stored->boxes.clear();
  for (std::size_t i = 0; i < kBoxIds.size(); ++i) {
    StoredBox box;
    box.checked = settings.IsChecked(kBoxIds[i]);
    if (SettingsBoxes()[i].list >= 0) box.choice = settings.ComboIndex(kBoxIds[i] + 1);
    stored->boxes.push_back(box);
  }
}

RunSettings ReadRunSettings(HWND page) {
  RunSettings run;
  WindowRequests requests(page);
  Dialog* settings = requests.Page(PAGE_SETTINGS);
  Dialog* convert = requests.Page(PAGE_CONVERT);
  if (settings == nullptr || convert == nullptr) return run;
  run.ffmpeg = settings->Text(FfmpegPathControl(*convert));
  run.aacgain = settings->Text(IDC_AACGAIN_PATH);
  for (std::size_t entry = 0; entry < run.options.size(); ++entry) run.options[entry] = OptionText(*settings, entry);
  run.temp_copies = settings->IsChecked(IDC_TEMP_COPIES);
  run.command_log = settings->IsChecked(IDC_COMMAND_LOG);
  run.strip_tags = settings->IsChecked(IDC_OPT_STRIP_ID3);
  run.log_folder = ProgramFilesFolder(page);
  return run;
}

}  // namespace clipwright::ui

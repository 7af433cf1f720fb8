#include "ui/settings_page.h"

#include <commdlg.h>

#include "common/control_ids.h"
#include "common/limits.h"
#include "settings/settings_lists.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (AnswerWindowThreadCall(message, lparam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG: {
      KeepPageState(page, lparam);
      // Nothing is selected yet: loading the settings chooses every list's item.
      WindowDialog controls(page);
      for (const SettingsList& list : SettingsLists()) {
        for (const std::string& item : list.items) controls.AddComboItem(list.id, item);
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

}  // namespace clipwright::ui

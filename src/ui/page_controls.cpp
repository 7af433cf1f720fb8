#include "ui/page_controls.h"

#include <shellapi.h>

#include "ui/option_lists.h"
#include "ui/window_dialog.h"

namespace clipwright::ui {
namespace {

LRESULT CALLBACK DropListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR subclass_id,
                              DWORD_PTR) {
  switch (message) {
    case WM_INITDIALOG:
      SetUpList(list, static_cast<DWORD>(wparam));
      DragAcceptFiles(list, TRUE);
      return 1;
    case WM_DROPFILES:
      SendMessageW(GetParent(list), MSG_FILES_DROPPED, wparam, GetDlgCtrlID(list));
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, DropListProc, subclass_id);
      break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

}  // namespace

void KeepPageState(HWND page, LPARAM state) { SetWindowLongPtrW(page, GWLP_USERDATA, state); }

PageState* PageStateOf(HWND page) { return reinterpret_cast<PageState*>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

void SetUpList(HWND list, DWORD extended_style) {
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended_style);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = kListColumnWidth;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void InstallDropList(HWND page, int list_id, UINT_PTR subclass_id, DWORD extended_style) {
  HWND list = GetDlgItem(page, list_id);
  SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowSubclass(list, DropListProc, subclass_id, reinterpret_cast<DWORD_PTR>(PageStateOf(page)));
  SendMessageW(list, WM_INITDIALOG, extended_style, 0);
}

void FillCombo(HWND page, int combo_id, const std::vector<std::string>& items, int selected) {
  WindowDialog controls(page);
  for (const std::string& item : items) controls.AddComboItem(combo_id, item);
  controls.SetComboIndex(combo_id, selected);
}

void FillContainerCombo(HWND page, int combo_id) { FillCombo(page, combo_id, OutputContainers(), 0); }

InputFile OpenedFile(HWND page, const ProbeTarget& target) {
  WindowDialog controls(page);
  InputFile file{controls.Text(target.path_control), StreamRows(controls, target.stream_list)};
  if (const PageState* state = PageStateOf(page)) {
    const auto found = state->opened.find(target.path_control);
    if (found != state->opened.end()) file.stamp = found->second;
  }
  return file;
}

void ReleaseDrop(WPARAM drop) { DragFinish(reinterpret_cast<HDROP>(drop)); }

}  // namespace clipwright::ui

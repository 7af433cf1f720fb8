#include "ui/window_dialog.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/wide.h"

namespace clipwright::ui {
namespace {

struct WindowThreadCall {
  const std::function<void()>* call;
  bool done = false;
};

// The id of the dialog timer that the progress dialog runs; other windows have none.
constexpr UINT_PTR kDialogTimer = 0;

}  // namespace

void RunOnWindowThread(HWND window, const std::function<void()>& call) {
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    call();
    return;
  }
  WindowThreadCall request{&call};
  SendMessageW(window, MSG_RUN_ON_WINDOW_THREAD, 0, reinterpret_cast<LPARAM>(&request));
  // A window that does not answer (or no longer exists) gets the call from this thread.
  if (!request.done) call();
}

bool AnswerWindowThreadCall(UINT message, LPARAM lparam) {
  if (message != MSG_RUN_ON_WINDOW_THREAD) return false;
  auto* request = reinterpret_cast<WindowThreadCall*>(lparam);
  (*request->call)();
  request->done = true;
  return true;
}

std::string WindowText(HWND window) {
  if (!window) return {};
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return platform::Narrow(text);
}

std::string WindowDialog::Text(int id) { return WindowText(Control(id)); }

void WindowDialog::SetText(int id, std::string_view text) {
  const std::wstring wide = platform::Widen(text);
  SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool WindowDialog::IsChecked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void WindowDialog::SetChecked(int id, bool checked) {
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int WindowDialog::ComboIndex(int id) {
  HWND combo = Control(id);
  if (!combo) return -1;
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void WindowDialog::SetComboIndex(int id, int index) { SendMessageW(Control(id), CB_SETCURSEL, index, 0); }

std::string WindowDialog::ComboText(int id) {
  const int index = ComboIndex(id);
  return index < 0 ? std::string() : ComboItem(id, index);
}

int WindowDialog::ComboCount(int id) {
  HWND combo = Control(id);
  if (!combo) return 0;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string WindowDialog::ComboItem(int id, int index) {
  HWND combo = Control(id);
  if (!combo) return {};
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return platform::Narrow(text);
}

void WindowDialog::AddComboItem(int id, std::string_view text) {
  const std::wstring wide = platform::Widen(text);
  SendMessageW(Control(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int WindowDialog::RowCount(int list_id) {
  HWND list = Control(list_id);
  return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string WindowDialog::RowText(int list_id, int row) {
  HWND list = Control(list_id);
  if (!list || row < 0) return {};
  // The list does not tell the length up front: grow the buffer until the text fits.
  std::vector<wchar_t> buffer(512);
  for (;;) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    if (length < static_cast<LRESULT>(buffer.size()) - 1) {
      return platform::Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(length > 0 ? length : 0)));
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool WindowDialog::RowChecked(int list_id, int row) {
  const LRESULT state = SendMessageW(Control(list_id), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void WindowDialog::SetRowChecked(int list_id, int row, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(Control(list_id), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void WindowDialog::InsertRow(int list_id, int row, std::string_view text) {
  HWND list = Control(list_id);
  if (!list) return;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  std::wstring wide = platform::Widen(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = (row < 0 || row > count) ? count : row;
  item.pszText = wide.data();
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void WindowDialog::DeleteRow(int list_id, int row) { SendMessageW(Control(list_id), LVM_DELETEITEM, row, 0); }

void WindowDialog::DeleteAllRows(int list_id) { SendMessageW(Control(list_id), LVM_DELETEALLITEMS, 0, 0); }

int WindowDialog::SelectedRow(int list_id) {
  HWND list = Control(list_id);
  if (!list) return -1;
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void WindowDialog::SelectRow(int list_id, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Control(list_id), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void WindowDialog::SetTrackRange(int id, int minimum, int maximum) {
  HWND track = Control(id);
  SendMessageW(track, TBM_SETRANGEMIN, FALSE, minimum);
  SendMessageW(track, TBM_SETRANGEMAX, TRUE, maximum);
}

int WindowDialog::TrackPosition(int id) { return static_cast<int>(SendMessageW(Control(id), TBM_GETPOS, 0, 0)); }

void WindowDialog::SetTrackPosition(int id, int position) { SendMessageW(Control(id), TBM_SETPOS, TRUE, position); }

void WindowDialog::ShowPicture(int id, const Picture* picture) {
  HWND control = Control(id);
  if (!control) return;
  RunOnWindowThread(window_, [&] {
    if (picture == nullptr || picture->width <= 0 || picture->height == 0 ||
        picture->rows.size() < PictureRowBytes(picture->width) * static_cast<std::size_t>(std::abs(picture->height))) {
      ShowWindow(control, SW_HIDE);
      return;
    }
    // The control keeps its display bitmap, a DIB section; a picture of another size gets a new one.
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    DIBSECTION section{};
    const bool fits = bitmap && GetObjectW(bitmap, sizeof section, &section) == sizeof section &&
                      section.dsBm.bmBits != nullptr && section.dsBmih.biWidth == picture->width &&
                      section.dsBmih.biHeight == picture->height && section.dsBmih.biBitCount == 24;
    void* bits = fits ? section.dsBm.bmBits : nullptr;
    if (!fits) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = picture->width;
      info.bmiHeader.biHeight = picture->height;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      info.bmiHeader.biCompression = BI_RGB;
      HBITMAP fresh = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (!fresh) {
        ShowWindow(control, SW_HIDE);
        return;
      }
      HBITMAP old = reinterpret_cast<HBITMAP>(
          SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fresh)));
      if (old) DeleteObject(old);
    }
    std::memcpy(bits, picture->rows.data(), PictureRowBytes(picture->width) * std::abs(picture->height));
    GdiFlush();
    InvalidateRect(control, nullptr, FALSE);
    ShowWindow(control, SW_SHOW);
  });
}

void ReleasePicture(HWND picture_control) {
  HBITMAP old = reinterpret_cast<HBITMAP>(SendMessageW(picture_control, STM_SETIMAGE, IMAGE_BITMAP, 0));
  if (old) DeleteObject(old);
}

bool WindowDialog::IsEnabled(int id) {
  HWND control = Control(id);
  return control && IsWindowEnabled(control);
}

void WindowDialog::Enable(int id, bool enabled) {
  HWND control = Control(id);
  if (!control) return;
  RunOnWindowThread(window_, [&] { EnableWindow(control, enabled); });
}

bool WindowDialog::IsVisible(int id) {
  // The control's own state, also while its page is hidden.
  HWND control = Control(id);
  return control && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void WindowDialog::Show(int id, bool visible) {
  HWND control = Control(id);
  if (!control) return;
  RunOnWindowThread(window_, [&] { ShowWindow(control, visible ? SW_SHOW : SW_HIDE); });
}

int WindowDialog::MessageBox(std::string_view text, std::string_view caption, unsigned buttons) {
  const std::wstring wide_text = platform::Widen(text);
  const std::wstring wide_caption = platform::Widen(caption);
  int answer = 0;
  RunOnWindowThread(window_, [&] { answer = MessageBoxW(window_, wide_text.c_str(), wide_caption.c_str(), buttons); });
  return answer;
}

void WindowDialog::SendCommand(int id) { SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void WindowDialog::StopTimer() {
  RunOnWindowThread(window_, [&] { KillTimer(window_, kDialogTimer); });
}

void WindowDialog::End(int result) {
  RunOnWindowThread(window_, [&] { EndDialog(window_, result); });
}

}  // namespace clipwright::ui

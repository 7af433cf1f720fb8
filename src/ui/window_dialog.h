// The Dialog interface on a real window: controls are reached by id with GetDlgItem and
// SendMessageW, so a worker thread may call it; the window's own thread carries out every call.
#pragma once

#include "ui/win32.h"

#include <functional>
#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace clipwright::ui {

// Asks the window's thread to run a call. Every window procedure of the program answers it
// first thing with AnswerWindowThreadCall.
inline constexpr UINT MSG_RUN_ON_WINDOW_THREAD = WM_APP + 0x300;

// Runs `call` on the thread that owns `window` and returns when it has run. Calls that must
// happen there (timers, ending a dialog, enabling and showing, message boxes) go through this.
void RunOnWindowThread(HWND window, const std::function<void()>& call);
// True (and the call has run) when `message` is a MSG_RUN_ON_WINDOW_THREAD request.
bool AnswerWindowThreadCall(UINT message, LPARAM lparam);

class WindowDialog : public Dialog {
 public:
  explicit WindowDialog(HWND window) : window_(window) {}

  HWND window() const { return window_; }

  std::string Text(int id) override;
  void SetText(int id, std::string_view text) override;
  bool IsChecked(int id) override;
  void SetChecked(int id, bool checked) override;
  int ComboIndex(int id) override;
  void SetComboIndex(int id, int index) override;
  std::string ComboText(int id) override;
  int ComboCount(int id) override;
  std::string ComboItem(int id, int index) override;
  void AddComboItem(int id, std::string_view text) override;
  int RowCount(int list_id) override;
  std::string RowText(int list_id, int row) override;
  bool RowChecked(int list_id, int row) override;
  void SetRowChecked(int list_id, int row, bool checked) override;
  void InsertRow(int list_id, int row, std::string_view text) override;
  void DeleteRow(int list_id, int row) override;
  void DeleteAllRows(int list_id) override;
  int SelectedRow(int list_id) override;
  void SelectRow(int list_id, int row) override;
  void SetTrackRange(int id, int minimum, int maximum) override;
  int TrackPosition(int id) override;
  void SetTrackPosition(int id, int position) override;
  void ShowPicture(int id, const Picture* picture) override;
  bool IsEnabled(int id) override;
  void Enable(int id, bool enabled) override;
  bool IsVisible(int id) override;
  void Show(int id, bool visible) override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned buttons) override;
  void SendCommand(int id) override;
  void StopTimer() override;
  void End(int result) override;

 protected:
  HWND Control(int id) const { return GetDlgItem(window_, id); }

 private:
  HWND window_;
};

// The text of any window, read through its own thread.
std::string WindowText(HWND window);

// Releases the bitmap that ShowPicture gave a picture control; for the control's page as it goes.
void ReleasePicture(HWND picture_control);

}  // namespace clipwright::ui

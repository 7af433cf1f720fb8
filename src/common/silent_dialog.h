// A Dialog with no window behind it, for tool runs that report to nobody: the split page's
// pictures are made on a thread of their own, which must never wait for the window (the window
// waits for that thread when the page goes).
#pragma once

#include "common/dialog.h"

namespace clipwright {

class SilentDialog final : public Dialog {
 public:
  std::string Text(int) override { return {}; }
  void SetText(int, std::string_view) override {}
  bool IsChecked(int) override { return false; }
  void SetChecked(int, bool) override {}
  int ComboIndex(int) override { return -1; }
  void SetComboIndex(int, int) override {}
  std::string ComboText(int) override { return {}; }
  int ComboCount(int) override { return 0; }
  std::string ComboItem(int, int) override { return {}; }
  void AddComboItem(int, std::string_view) override {}
  int RowCount(int) override { return 0; }
  std::string RowText(int, int) override { return {}; }
  bool RowChecked(int, int) override { return false; }
  void SetRowChecked(int, int, bool) override {}
  void InsertRow(int, int, std::string_view) override {}
  void DeleteRow(int, int) override {}
  void DeleteAllRows(int) override {}
  int SelectedRow(int) override { return -1; }
  void SelectRow(int, int) override {}
  void SetTrackRange(int, int, int) override {}
  int TrackPosition(int) override { return 0; }
  void SetTrackPosition(int, int) override {}
  void ShowPicture(int, const Picture*) override {}
  bool IsEnabled(int) override { return false; }
  void Enable(int, bool) override {}
  bool IsVisible(int) override { return false; }
  void Show(int, bool) override {}
  int MessageBox(std::string_view, std::string_view, unsigned) override { return kAnswerOk; }
  void SendCommand(int) override {}
  void StopTimer() override {}
  void End(int) override {}
};

}  // namespace clipwright

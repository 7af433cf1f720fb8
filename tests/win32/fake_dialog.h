// In-memory windows for the tests: controls are a table keyed by control id. Thread-safe, because
// workers write while the test thread reads.
#pragma once

#include <functional>
#include <map>
#include <utility>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"
#include "ui/requests.h"

namespace clipwright::testing {

struct FakeMessageBox {
  std::string text;
  std::string caption;
  unsigned buttons = 0;
};

class FakeDialog : public Dialog {
 public:
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

  // Set-up and inspection for the tests.
  void AddCombo(int id, const std::vector<std::string>& items, int selected = -1);
  void AddRows(int list_id, const std::vector<std::string>& rows, bool checked = false);
  // Every text ever set on a control, oldest first.
  std::vector<std::string> TextHistory(int id);
  std::vector<FakeMessageBox> MessageBoxes();
  std::vector<int> Commands();
  // Answer given by MessageBox (kAnswerOk by default).
  void SetMessageBoxAnswer(int answer);
  // Called for SendCommand, after it has been recorded.
  void OnCommand(std::function<void(int id)> handler);
  // A trackbar's range; a position set outside it is moved inside, as a trackbar does.
  std::pair<int, int> TrackRange(int id);
  // The picture last shown by control `id`, by address (null when it was hidden or never shown).
  const Picture* ShownPicture(int id);
  bool timer_stopped();
  int end_result();  // -1 until End was called

 private:
  struct Row {
    std::string text;
    bool checked = false;
  };
  struct Combo {
    std::vector<std::string> items;
    int selected = -1;
  };
  std::mutex mutex_;
  std::map<int, std::string> texts_;
  std::map<int, std::vector<std::string>> history_;
  std::map<int, bool> checked_;
  std::map<int, Combo> combos_;
  std::map<int, std::vector<Row>> rows_;
  std::map<int, int> selected_row_;
  struct Track {
    int minimum = 0;
    int maximum = 0;
    int position = 0;
  };
  std::map<int, Track> tracks_;
  std::map<int, const Picture*> pictures_;
  std::map<int, bool> enabled_;
  std::map<int, bool> visible_;
  std::vector<FakeMessageBox> boxes_;
  std::vector<int> commands_;
  std::function<void(int)> command_handler_;
  int answer_ = kAnswerOk;
  bool timer_stopped_ = false;
  int end_result_ = -1;
};

// Requests answered from fake pages by the main window's own request functions: the path comes
// from the settings page's texts and must open for reading, else the main window shows its message.
class FakeRequests : public Requests {
 public:
  FakeRequests();
  bool FfmpegPath(std::string* path) override;
  bool AacgainPath(std::string* path) override;
  Dialog* Page(int index) override;

  FakeDialog& page(int index) { return pages_[index]; }
  FakeDialog& main_window() { return main_; }

 private:
  FakeDialog pages_[7];
  FakeDialog main_;
};

}  // namespace clipwright::testing

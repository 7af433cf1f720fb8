#include "win32/fake_dialog.h"

#include <algorithm>
#include <cstdio>

#include "common/limits.h"
#include "ui/tool_requests.h"

namespace clipwright::testing {

std::string FakeDialog::Text(int id) {
  std::lock_guard lock(mutex_);
  return texts_[id];
}

void FakeDialog::SetText(int id, std::string_view text) {
  std::lock_guard lock(mutex_);
  texts_[id] = std::string(text);
  history_[id].emplace_back(text);
}

bool FakeDialog::IsChecked(int id) {
  std::lock_guard lock(mutex_);
  return checked_[id];
}

void FakeDialog::SetChecked(int id, bool checked) {
  std::lock_guard lock(mutex_);
  checked_[id] = checked;
}

int FakeDialog::ComboIndex(int id) {
  std::lock_guard lock(mutex_);
  return combos_[id].selected;
}

void FakeDialog::SetComboIndex(int id, int index) {
  std::lock_guard lock(mutex_);
  Combo& combo = combos_[id];
  combo.selected = (index >= 0 && index < static_cast<int>(combo.items.size())) ? index : -1;
}

std::string FakeDialog::ComboText(int id) {
  std::lock_guard lock(mutex_);
  const Combo& combo = combos_[id];
  return combo.selected < 0 ? std::string() : combo.items[combo.selected];
}

int FakeDialog::ComboCount(int id) {
  std::lock_guard lock(mutex_);
  return static_cast<int>(combos_[id].items.size());
}

std::string FakeDialog::ComboItem(int id, int index) {
  std::lock_guard lock(mutex_);
  const Combo& combo = combos_[id];
  return (index >= 0 && index < static_cast<int>(combo.items.size())) ? combo.items[index] : std::string();
}

void FakeDialog::AddComboItem(int id, std::string_view text) {
  std::lock_guard lock(mutex_);
  combos_[id].items.emplace_back(text);
}

int FakeDialog::RowCount(int list_id) {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_[list_id].size());
}

std::string FakeDialog::RowText(int list_id, int row) {
  std::lock_guard lock(mutex_);
  const auto& rows = rows_[list_id];
  return (row >= 0 && row < static_cast<int>(rows.size())) ? rows[row].text : std::string();
}

bool FakeDialog::RowChecked(int list_id, int row) {
  std::lock_guard lock(mutex_);
  const auto& rows = rows_[list_id];
  return row >= 0 && row < static_cast<int>(rows.size()) && rows[row].checked;
}

void FakeDialog::SetRowChecked(int list_id, int row, bool checked) {
  std::lock_guard lock(mutex_);
  auto& rows = rows_[list_id];
  if (row >= 0 && row < static_cast<int>(rows.size())) rows[row].checked = checked;
}

void FakeDialog::InsertRow(int list_id, int row, std::string_view text) {
  std::lock_guard lock(mutex_);
  auto& rows = rows_[list_id];
  if (row < 0 || row > static_cast<int>(rows.size())) row = static_cast<int>(rows.size());
  rows.insert(rows.begin() + row, Row{std::string(text), false});
  auto selected = selected_row_.find(list_id);
  if (selected != selected_row_.end() && selected->second >= row) ++selected->second;
}

void FakeDialog::DeleteRow(int list_id, int row) {
  std::lock_guard lock(mutex_);
  auto& rows = rows_[list_id];
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  rows.erase(rows.begin() + row);
  auto selected = selected_row_.find(list_id);
  if (selected == selected_row_.end()) return;
  if (selected->second == row) {
    selected_row_.erase(selected);
  } else if (selected->second > row) {
    --selected->second;
  }
}

void FakeDialog::DeleteAllRows(int list_id) {
  std::lock_guard lock(mutex_);
  rows_[list_id].clear();
  selected_row_.erase(list_id);
}

int FakeDialog::SelectedRow(int list_id) {
  std::lock_guard lock(mutex_);
  auto selected = selected_row_.find(list_id);
  return selected == selected_row_.end() ? -1 : selected->second;
}

void FakeDialog::SelectRow(int list_id, int row) {
  std::lock_guard lock(mutex_);
  if (row >= 0 && row < static_cast<int>(rows_[list_id].size())) selected_row_[list_id] = row;
}

void FakeDialog::SetTrackRange(int id, int minimum, int maximum) {
  std::lock_guard lock(mutex_);
  Track& track = tracks_[id];
  track.minimum = minimum;
  track.maximum = maximum;
  track.position = std::clamp(track.position, minimum, std::max(minimum, maximum));
}

int FakeDialog::TrackPosition(int id) {
  std::lock_guard lock(mutex_);
  return tracks_[id].position;
}

void FakeDialog::SetTrackPosition(int id, int position) {
  std::lock_guard lock(mutex_);
  Track& track = tracks_[id];
  track.position = std::clamp(position, track.minimum, std::max(track.minimum, track.maximum));
}

void FakeDialog::ShowPicture(int id, const Picture* picture) {
  std::lock_guard lock(mutex_);
  pictures_[id] = picture;
  visible_[id] = picture != nullptr;
}

std::pair<int, int> FakeDialog::TrackRange(int id) {
  std::lock_guard lock(mutex_);
  return {tracks_[id].minimum, tracks_[id].maximum};
}

const Picture* FakeDialog::ShownPicture(int id) {
  std::lock_guard lock(mutex_);
  return pictures_[id];
}

bool FakeDialog::IsEnabled(int id) {
  std::lock_guard lock(mutex_);
  auto found = enabled_.find(id);
  return found == enabled_.end() || found->second;
}

void FakeDialog::Enable(int id, bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[id] = enabled;
}

bool FakeDialog::IsVisible(int id) {
  std::lock_guard lock(mutex_);
  auto found = visible_.find(id);
  return found == visible_.end() || found->second;
}

void FakeDialog::Show(int id, bool visible) {
  std::lock_guard lock(mutex_);
  visible_[id] = visible;
}

int FakeDialog::MessageBox(std::string_view text, std::string_view caption, unsigned buttons) {
  std::lock_guard lock(mutex_);
  boxes_.push_back(FakeMessageBox{std::string(text), std::string(caption), buttons});
  return answer_;
}

void FakeDialog::SendCommand(int id) {
  std::function<void(int)> handler;
  {
    std::lock_guard lock(mutex_);
    commands_.push_back(id);
    handler = command_handler_;
  }
  if (handler) handler(id);
}

void FakeDialog::StopTimer() {
  std::lock_guard lock(mutex_);
  timer_stopped_ = true;
}

void FakeDialog::End(int result) {
  std::lock_guard lock(mutex_);
  end_result_ = result;
}

void FakeDialog::AddCombo(int id, const std::vector<std::string>& items, int selected) {
  std::lock_guard lock(mutex_);
  combos_[id] = Combo{items, selected};
}

void FakeDialog::AddRows(int list_id, const std::vector<std::string>& rows, bool checked) {
  std::lock_guard lock(mutex_);
  for (const auto& text : rows) rows_[list_id].push_back(Row{text, checked});
}

std::vector<std::string> FakeDialog::TextHistory(int id) {
  std::lock_guard lock(mutex_);
  return history_[id];
}

std::vector<FakeMessageBox> FakeDialog::MessageBoxes() {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::vector<int> FakeDialog::Commands() {
  std::lock_guard lock(mutex_);
  return commands_;
}

void FakeDialog::SetMessageBoxAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answer_ = answer;
}

void FakeDialog::OnCommand(std::function<void(int id)> handler) {
  std::lock_guard lock(mutex_);
  command_handler_ = std::move(handler);
}

bool FakeDialog::timer_stopped() {
  std::lock_guard lock(mutex_);
  return timer_stopped_;
}

int FakeDialog::end_result() {
  std::lock_guard lock(mutex_);
  return end_result_;
}

FakeRequests::FakeRequests() = default;

bool FakeRequests::FfmpegPath(std::string* path) {
  return RequestFfmpegPath(pages_[PAGE_SETTINGS], pages_[PAGE_CONVERT], main_, path);
}

bool FakeRequests::AacgainPath(std::string* path) { return RequestAacgainPath(pages_[PAGE_SETTINGS], main_, path); }

Dialog* FakeRequests::Page(int index) {
  const int page = RequestedPageIndex(static_cast<std::uintptr_t>(index));
  return page < 0 ? nullptr : &pages_[page];
}

}  // namespace clipwright::testing

// A page, the settings page, the main window or the progress dialog, reached by control id: what
// the page logic of src/ui works on. WindowDialog implements it on a window handle (callable from
// a worker thread, because every call is carried out by the window's own thread); the window
// tests implement it as an in-memory table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/keyframe_picture.h"

namespace clipwright {

// Message box buttons and answers, with the platform's values.
inline constexpr unsigned kMessageOk = 0x0;
inline constexpr unsigned kMessageYesNo = 0x4;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class Dialog {
 public:
  virtual ~Dialog() = default;

  // Static or edit text, or a button's caption.
  virtual std::string Text(int id) = 0;
  virtual void SetText(int id, std::string_view text) = 0;

  // Check box state is exactly "checked" (an indeterminate box is not).
  virtual bool IsChecked(int id) = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  // Drop-down lists. -1 when nothing is selected; the text is empty then.
  virtual int ComboIndex(int id) = 0;
  virtual void SetComboIndex(int id, int index) = 0;  // -1 clears the selection
  virtual std::string ComboText(int id) = 0;
  virtual int ComboCount(int id) = 0;
  virtual std::string ComboItem(int id, int index) = 0;
  virtual void AddComboItem(int id, std::string_view text) = 0;

  // List views: rows of column 0, with an optional check box per row.
  virtual int RowCount(int list_id) = 0;
  virtual std::string RowText(int list_id, int row) = 0;
  virtual bool RowChecked(int list_id, int row) = 0;
  virtual void SetRowChecked(int list_id, int row, bool checked) = 0;
  // Inserts a row at `row` (text only; a check box starts unchecked).
  virtual void InsertRow(int list_id, int row, std::string_view text) = 0;
  virtual void DeleteRow(int list_id, int row) = 0;
  virtual void DeleteAllRows(int list_id) = 0;
  // The first selected row, or -1.
  virtual int SelectedRow(int list_id) = 0;
  // Makes `row` selected and focused.
  virtual void SelectRow(int list_id, int row) = 0;

  // Trackbars.
  virtual void SetTrackRange(int id, int minimum, int maximum) = 0;
  virtual int TrackPosition(int id) = 0;
  virtual void SetTrackPosition(int id, int position) = 0;

  // A picture control shows `picture` (a copy is made), or is hidden when it is null.
  virtual void ShowPicture(int id, const Picture* picture) = 0;

  virtual bool IsEnabled(int id) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsVisible(int id) = 0;
  virtual void Show(int id, bool visible) = 0;

  // A message box owned by this window; returns the answer (kAnswerOk, kAnswerYes, kAnswerNo).
  virtual int MessageBox(std::string_view text, std::string_view caption, unsigned buttons) = 0;

  // Sends the window a command for control `id`, as a click would.
  virtual void SendCommand(int id) = 0;

  // Progress dialog only: stop its elapsed-time timer, and end the dialog with a result.
  virtual void StopTimer() = 0;
  virtual void End(int result) = 0;
};

}  // namespace clipwright

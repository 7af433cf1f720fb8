// What the tests of the list pages and their jobs share: clips made once per test program, the
// main window with FFmpeg configured, and the lists and storage read back.
#pragma once

#include "ui/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/stream_model.h"
#include "common/limits.h"
#include "platform/win32/wide.h"
#include "support/temp_dir.h"
#include "ui/window_dialog.h"
#include "window_support.h"

namespace clipwright::testing {

// Short clips and a file FFmpeg cannot read. (The Windows FFmpeg reads .txt files as ANSI art,
// so the unreadable text has another extension.)
struct Clips : TempDir {
  Clips();
  std::string both;   // 1 s, H.264 video and AAC audio
  std::string video;  // 2 s, H.264 video only
  std::string sound;  // 0.5 s, AAC audio only
  std::string text;   // a log of text
};

class PageIntakeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // `source` copied into the test's own folder as `name`, so that outputs land there.
  std::string CopyClip(const std::string& source, const std::string& name) const;
  std::string ErrorList() const;
  // Shows page `index` in front, for real mouse and keyboard input.
  void ShowPage(int index);

  static Clips* clips;
  TempDir folder;  // status.ini and error.txt
  TempDir work;    // the test's own media and outputs
  MainWindowRun main{folder};
  ui::WindowDialog settings{main.page(PAGE_SETTINGS)};
};

std::vector<std::string> Rows(ui::WindowDialog& page, int list_id);
std::vector<bool> Checks(ui::WindowDialog& page, int list_id);
std::vector<std::string> Texts(const FileEntry& file);
// The kind word ("Video", "Audio", ...) of each stream of a stored file, or of a list's rows.
std::vector<std::string> Kinds(const FileEntry& file);
std::vector<std::string> RowKinds(ui::WindowDialog& page, int list_id);

// Presses the run button as a click does and closes the job dialog once it offers 閉じる;
// returns the summary it showed.
std::string RunJob(HWND page, int run_button);
// Selects the item `text` of a drop-down list; fails the test when there is none.
void SelectItem(ui::WindowDialog& page, int combo, const std::string& text);

// Screen points on row `row` of a report list view: the middle of its check box, and of its text.
POINT CheckBoxPoint(HWND list, int row);
POINT TextPoint(HWND list, int row);

}  // namespace clipwright::testing

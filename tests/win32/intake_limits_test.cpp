// The limits of file intake from the real window: a full list, a file of too many streams, a
// selection larger than the open-file dialog's buffer and dropped names longer than a row holds.
// None of them overruns a buffer or cuts a name, and each ends in a clear message.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/media.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

using IntakeLimitsTest = PageIntakeTest;

const char* const kNotAddedQuestion = "追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？";

std::string NotAddedLine(const std::string& path) {
  return "Invalid data found when processing input '" + path + "'\r\n";
}

TEST_F(IntakeLimitsTest, AFullListTakesNoMoreFilesAndSaysSo) {
  HWND window = main.page(PAGE_CONVERT);
  ui::WindowDialog page(window);
  FileList& files = ui::PageStateOf(window)->files;
  for (int row = 0; row < FILE_CAPACITY; ++row) page.InsertRow(IDC_CONVERT_FILES, row, "C:\\v\\" + std::to_string(row));
  files.files.assign(FILE_CAPACITY, FileEntry{{StreamEntry{"Stream #0:0: Audio: aac", 1}}, 1});
  std::vector<ShownBox> asked;
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), {clips->sound});
    asked = boxes.shown();
  }
  EXPECT_EQ(page.RowCount(IDC_CONVERT_FILES), FILE_CAPACITY);
  EXPECT_EQ(files.files.size(), static_cast<std::size_t>(FILE_CAPACITY));
  EXPECT_EQ(page.RowText(IDC_CONVERT_FILES, FILE_CAPACITY - 1), "C:\\v\\1023");
  EXPECT_EQ(ErrorList(), "\xEF\xBB\xBF" + NotAddedLine(clips->sound));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, kNotAddedQuestion);
}

TEST_F(IntakeLimitsTest, StreamsBeyondTheCapacityAreNeitherStoredNorShown) {
  const std::string many = work.File("many.mov");
  ASSERT_TRUE(MakeManyStreams(many, STREAM_CAPACITY + 1));
  HWND window = main.page(PAGE_SEPARATE);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_SEPARATE_FILES), {many});
  const FileList& files = ui::PageStateOf(window)->files;
  ASSERT_EQ(files.files.size(), 1u);
  EXPECT_EQ(files.files[0].streams.size(), static_cast<std::size_t>(STREAM_CAPACITY));
  EXPECT_EQ(page.RowCount(IDC_SEPARATE_STREAMS), STREAM_CAPACITY);
  EXPECT_EQ(page.RowText(IDC_SEPARATE_STREAMS, STREAM_CAPACITY - 1).rfind("Stream #0:255", 0), 0u);
}

// More names than 1024 full paths fill: the dialog cannot hand them over, and nothing of the
// selection is taken.
TEST_F(IntakeLimitsTest, ASelectionLargerThanTheDialogsBufferAddsNothing) {
  const std::string name = std::string(180, 'n') + ".m4a";
  CopyClip(clips->sound, name);
  std::string names;
  for (int copy = 0; copy * static_cast<int>(name.size() + 3) < FILE_CAPACITY * PATH_CAPACITY + 20000; ++copy) {
    names += "\"" + name + "\" ";
  }
  HWND window = main.page(PAGE_CONCATENATE);
  ui::WindowDialog page(window);
  std::vector<ShownBox> told;
  {
    MessageBoxAnswerer boxes(IDOK);
    std::thread user([&] { AnswerOpenDialog(main.window(), names, work.path()); });
    page.SendCommand(IDC_CONCAT_ADD);
    user.join();
    told = boxes.shown();
  }
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].text, "選択したファイルが多すぎるため、追加出来ませんでした。\r\nファイルを分けて追加して下さい。");
  EXPECT_EQ(told[0].caption, "ファイル追加エラー");
  EXPECT_EQ(page.RowCount(IDC_CONCAT_FILES), 0);
  EXPECT_FALSE(platform::PathExists(folder.File("error.txt")));
}

TEST_F(IntakeLimitsTest, DroppedNamesLongerThanARowAreTurnedDownWhole) {
  // A name longer than a row holds (no file system here keeps one whole, so it cannot be looked
  // at either), and a real file of exactly the longest name that fits.
  const std::string too_long = work.File(std::string(300, 'd') + ".m4a");
  const std::string fits = CopyClip(
      clips->sound, std::string(PATH_CAPACITY - 1 - platform::Utf16Length(work.path()) - 4, 'f') + ".m4a");
  ASSERT_EQ(platform::Utf16Length(fits), static_cast<std::size_t>(PATH_CAPACITY - 1));

  HWND window = main.page(PAGE_SEPARATE);
  ui::WindowDialog page(window);
  std::vector<ShownBox> asked;
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(window, IDC_SEPARATE_FILES), {too_long, fits});
    asked = boxes.shown();
  }
  EXPECT_EQ(Rows(page, IDC_SEPARATE_FILES), (std::vector<std::string>{fits}));
  EXPECT_EQ(ErrorList(), "\xEF\xBB\xBF" + NotAddedLine(too_long));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, kNotAddedQuestion);
}

}  // namespace
}  // namespace clipwright::testing

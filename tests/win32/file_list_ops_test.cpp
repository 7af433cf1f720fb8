#include "ui/file_list_ops.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "win32/fake_dialog.h"

namespace clipwright {
namespace {

using testing::FakeDialog;

// A page holding files named "a", "b", "c", ...: file x has streams "x:0", "x:1", ... (one more
// stream for every later file, so counts differ), stream 0 unselected, and duration 10 * (n + 1).
struct LoadedPage {
  FakeDialog page;
  FileList files;
  ListPage list;

  LoadedPage(const ListPage& which, int count, int selected) : list(which) {
    files.keeps_durations = which.file_list == IDC_CONVERT_FILES;
    for (int n = 0; n < count; ++n) {
      const std::string name(1, static_cast<char>('a' + n));
      FileEntry entry;
      for (int s = 0; s <= n + 1; ++s) entry.streams.push_back(StreamEntry{name + ":" + std::to_string(s), s == 0 ? 0 : 1});
      entry.duration = files.keeps_durations ? 10.0 * (n + 1) : 0;
      files.files.push_back(entry);
      page.InsertRow(list.file_list, n, name);
    }
    // The run button as intake leaves it.
    page.Enable(list.run_button, list.file_list == IDC_CONCAT_FILES ? count >= 2 : count >= 1);
    if (selected >= 0) SelectFile(page, list, files, selected);
  }

  std::vector<std::string> Rows(int list_id) {
    std::vector<std::string> rows;
    for (int r = 0; r < page.RowCount(list_id); ++r) rows.push_back(page.RowText(list_id, r));
    return rows;
  }

  // Row r and entry r must be the same file, with that file's own streams and duration.
  void ExpectInStep() {
    ASSERT_EQ(files.files.size(), static_cast<std::size_t>(page.RowCount(list.file_list)));
    for (int r = 0; r < page.RowCount(list.file_list); ++r) {
      const std::string name = page.RowText(list.file_list, r);
      const FileEntry& entry = files.files[r];
      const int n = name[0] - 'a';
      ASSERT_EQ(entry.streams.size(), static_cast<std::size_t>(n + 2)) << name;
      EXPECT_EQ(entry.streams.back().text, name + ":" + std::to_string(n + 1));
      EXPECT_EQ(entry.duration, files.keeps_durations ? 10.0 * (n + 1) : 0) << name;
    }
  }
};

struct DeleteCase {
  const char* name;
  ListPage list;
  int count;
  int selected;
  std::vector<std::string> rows_after;
  int selected_after;
  bool run_enabled_after;
};

void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

class DeleteSelectedFileTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteSelectedFileTest, RowsStorageSelectionAndRunButtonStayInStep) {
  const DeleteCase& c = GetParam();
  LoadedPage loaded(c.list, c.count, c.selected);
  EXPECT_EQ(DeleteSelectedFile(loaded.page, loaded.list, loaded.files), 1);
  EXPECT_EQ(loaded.Rows(c.list.file_list), c.rows_after);
  loaded.ExpectInStep();
  EXPECT_EQ(loaded.page.SelectedRow(c.list.file_list), c.selected_after);
  EXPECT_EQ(loaded.page.IsEnabled(c.list.run_button), c.run_enabled_after);
  // The stream list shows the file that took the deleted one's place, or nothing.
  std::vector<std::string> streams;
  if (c.selected_after >= 0) {
    for (const StreamEntry& stream : loaded.files.files[c.selected_after].streams) streams.push_back(stream.text);
  }
  EXPECT_EQ(loaded.Rows(c.list.stream_list), streams);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DeleteSelectedFileTest,
    ::testing::Values(DeleteCase{"ConvertMiddleOfThree", kConvertList, 3, 1, {"a", "c"}, 1, true},
                      DeleteCase{"ConvertFirstOfThree", kConvertList, 3, 0, {"b", "c"}, 0, true},
                      DeleteCase{"ConvertLastOfThree", kConvertList, 3, 2, {"a", "b"}, -1, true},
                      DeleteCase{"ConcatenateLastOfThree", kConcatenateList, 3, 2, {"a", "b"}, -1, true},
                      DeleteCase{"ConcatenateOneOfTwo", kConcatenateList, 2, 0, {"b"}, 0, false},
                      DeleteCase{"SeparateOneOfTwo", kSeparateList, 2, 0, {"b"}, 0, true},
                      DeleteCase{"VolumeOnlyFile", kVolumeList, 1, 0, {}, -1, false},
                      DeleteCase{"ConcatenateOnlyFile", kConcatenateList, 1, 0, {}, -1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeleteSelectedFile, DoesNothingWithoutRowsOrSelection) {
  LoadedPage empty(kSeparateList, 0, -1);
  EXPECT_EQ(DeleteSelectedFile(empty.page, empty.list, empty.files), 0);

  LoadedPage unselected(kSeparateList, 2, -1);
  EXPECT_EQ(DeleteSelectedFile(unselected.page, unselected.list, unselected.files), 0);
  EXPECT_EQ(unselected.Rows(kSeparateList.file_list), (std::vector<std::string>{"a", "b"}));
  unselected.ExpectInStep();
}

struct MoveCase {
  const char* name;
  bool up;
  int count;
  int selected;
  std::vector<std::string> rows_after;
  int selected_after;
  int acted;
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MoveFileTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveFileTest, TheMovedFileKeepsItsDataAndIsSelected) {
  const MoveCase& c = GetParam();
  LoadedPage loaded(kConvertList, c.count, c.selected);
  const auto move = c.up ? MoveFileUp : MoveFileDown;
  EXPECT_EQ(move(loaded.page, loaded.list, loaded.files), c.acted);
  EXPECT_EQ(loaded.Rows(kConvertList.file_list), c.rows_after);
  loaded.ExpectInStep();
  EXPECT_EQ(loaded.page.SelectedRow(kConvertList.file_list), c.selected_after);
  if (c.selected_after >= 0) {
    // The stream list shows the selected file, with its own check marks.
    const auto& streams = loaded.files.files[c.selected_after].streams;
    ASSERT_EQ(loaded.page.RowCount(kConvertList.stream_list), static_cast<int>(streams.size()));
    EXPECT_EQ(loaded.page.RowText(kConvertList.stream_list, 0), streams[0].text);
    EXPECT_FALSE(loaded.page.RowChecked(kConvertList.stream_list, 0));
    EXPECT_TRUE(loaded.page.RowChecked(kConvertList.stream_list, 1));
  }
}

INSTANTIATE_TEST_SUITE_P(Convert, MoveFileTest,
                         ::testing::Values(MoveCase{"UpFromMiddle", true, 3, 1, {"b", "a", "c"}, 0, 1},
                                           MoveCase{"UpFromLast", true, 3, 2, {"a", "c", "b"}, 1, 1},
                                           MoveCase{"UpOnFirst", true, 3, 0, {"a", "b", "c"}, 0, 0},
                                           MoveCase{"UpWithoutSelection", true, 3, -1, {"a", "b", "c"}, -1, 0},
                                           MoveCase{"DownFromFirst", false, 3, 0, {"b", "a", "c"}, 1, 1},
                                           MoveCase{"DownFromMiddle", false, 3, 1, {"a", "c", "b"}, 2, 1},
                                           MoveCase{"DownOnLast", false, 3, 2, {"a", "b", "c"}, 2, 0},
                                           MoveCase{"DownOnOnlyRow", false, 1, 0, {"a"}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeleteAllFiles, EmptiesBothListsTheStorageAndDisablesRun) {
  LoadedPage loaded(kConvertList, 3, 1);
  ASSERT_GT(loaded.page.RowCount(kConvertList.stream_list), 0);
  EXPECT_EQ(DeleteAllFiles(loaded.page, loaded.list, loaded.files), 1);
  EXPECT_EQ(loaded.page.RowCount(kConvertList.file_list), 0);
  EXPECT_EQ(loaded.page.RowCount(kConvertList.stream_list), 0);
  EXPECT_FALSE(loaded.page.IsEnabled(kConvertList.run_button));
  EXPECT_TRUE(loaded.files.files.empty());
}

struct RefreshCase {
  const char* name;
  ListPage list;
  std::vector<bool> checks;  // of the stream rows of file "b" (stream 0 unselected, 1 and 2 selected)
};

void PrintTo(const RefreshCase& c, std::ostream* os) { *os << c.name; }

class ShowFileStreamsTest : public ::testing::TestWithParam<RefreshCase> {};

TEST_P(ShowFileStreamsTest, ShowsTheFocusedFilesStreamsAsThePageWants) {
  const RefreshCase& c = GetParam();
  LoadedPage loaded(c.list, 3, 0);
  // Stale rows of another file go first.
  ShowFileStreams(loaded.page, loaded.list, loaded.files, 1);
  EXPECT_EQ(loaded.Rows(c.list.stream_list), (std::vector<std::string>{"b:0", "b:1", "b:2"}));
  std::vector<bool> checks;
  for (int r = 0; r < loaded.page.RowCount(c.list.stream_list); ++r) {
    checks.push_back(loaded.page.RowChecked(c.list.stream_list, r));
  }
  EXPECT_EQ(checks, c.checks);

  // A row that holds no file leaves the list empty.
  ShowFileStreams(loaded.page, loaded.list, loaded.files, 3);
  EXPECT_EQ(loaded.page.RowCount(c.list.stream_list), 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, ShowFileStreamsTest,
                         ::testing::Values(RefreshCase{"Concatenate", kConcatenateList, {false, false, false}},
                                           RefreshCase{"Separate", kSeparateList, {false, true, true}},
                                           RefreshCase{"Convert", kConvertList, {false, true, true}},
                                           RefreshCase{"Volume", kVolumeList, {false, false, false}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordStreamCheck, AClickStoresTheFlagOfTheSelectedFileOnly) {
  LoadedPage loaded(kSeparateList, 2, 0);
  const int streams = kSeparateList.stream_list;
  // The list view has toggled the box before the posted message is handled.
  loaded.page.SetRowChecked(streams, 1, false);
  EXPECT_EQ(RecordStreamCheck(loaded.page, loaded.list, loaded.files, 1), 1);
  loaded.page.SetRowChecked(streams, 0, true);
  EXPECT_EQ(RecordStreamCheck(loaded.page, loaded.list, loaded.files, 0), 1);
  EXPECT_EQ(loaded.files.files[0].streams[0].selected, 1);
  EXPECT_EQ(loaded.files.files[0].streams[1].selected, 0);
  EXPECT_EQ(loaded.files.files[1].streams[1].selected, 1);

  // A toggle that was not recorded (the space bar) is undone by the next refresh.
  SelectFile(loaded.page, loaded.list, loaded.files, 1);
  loaded.page.SetRowChecked(streams, 2, false);
  SelectFile(loaded.page, loaded.list, loaded.files, 0);
  EXPECT_TRUE(loaded.page.RowChecked(streams, 0));
  EXPECT_FALSE(loaded.page.RowChecked(streams, 1));
  SelectFile(loaded.page, loaded.list, loaded.files, 1);
  EXPECT_TRUE(loaded.page.RowChecked(streams, 2));
  EXPECT_EQ(loaded.files.files[1].streams[2].selected, 1);

  // No stream of that file, or no file selected: nothing is stored.
  EXPECT_EQ(RecordStreamCheck(loaded.page, loaded.list, loaded.files, 3), 0);
  EXPECT_EQ(RecordStreamCheck(loaded.page, loaded.list, loaded.files, -1), 0);
  LoadedPage unselected(kConvertList, 2, -1);
  EXPECT_EQ(RecordStreamCheck(unselected.page, unselected.list, unselected.files, 0), 0);
}

TEST(FindListPage, KnowsTheFourFileLists) {
  EXPECT_EQ(FindListPage(IDC_CONCAT_FILES), &kConcatenateList);
  EXPECT_EQ(FindListPage(IDC_SEPARATE_FILES), &kSeparateList);
  EXPECT_EQ(FindListPage(IDC_CONVERT_FILES), &kConvertList);
  EXPECT_EQ(FindListPage(IDC_VOLUME_FILES), &kVolumeList);
  EXPECT_EQ(FindListPage(0), nullptr);
  EXPECT_EQ(FindListPage(IDC_SPLIT_STREAMS), nullptr);
}

}  // namespace
}  // namespace clipwright

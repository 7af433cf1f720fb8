// The list pages and the multiplex page in the real main window, with the real Windows FFmpeg:
// files arrive by real drops and the open-file dialog, the lists and the pages' storage stay in
// step through the buttons, stream checks follow the mouse only, and the limits hold.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "support/media.h"
#include "test_config.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

TEST_F(PageIntakeTest, ADropTakesTheFilesInOrderSkipsFoldersAndAsksOnceAboutFailures) {
  HWND convert = main.page(PAGE_CONVERT);
  ui::WindowDialog page(convert);
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(convert, IDC_CONVERT_FILES), {clips->both, clips->path(), clips->video});
    EXPECT_TRUE(boxes.shown().empty());
  }
  EXPECT_EQ(Rows(page, IDC_CONVERT_FILES), (std::vector<std::string>{clips->both, clips->video}));
  EXPECT_FALSE(platform::PathExists(folder.File("error.txt")));
  const FileList& files = ui::PageStateOf(convert)->files;
  ASSERT_EQ(files.files.size(), 2u);
  EXPECT_EQ(Kinds(files.files[0]), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_EQ(Kinds(files.files[1]), (std::vector<std::string>{"Video"}));
  EXPECT_EQ(files.files[0].streams[0].text.rfind("Stream #0:0", 0), 0u);
  EXPECT_NEAR(files.files[0].duration, 1, 0.1);
  EXPECT_NEAR(files.files[1].duration, 2, 0.1);
  // The first file is selected and its streams are shown, every one checked.
  EXPECT_EQ(page.SelectedRow(IDC_CONVERT_FILES), 0);
  EXPECT_EQ(Rows(page, IDC_CONVERT_STREAMS), Texts(files.files[0]));
  EXPECT_EQ(Checks(page, IDC_CONVERT_STREAMS), (std::vector<bool>{true, true}));
  EXPECT_TRUE(page.IsEnabled(IDC_CONVERT_RUN));

  // Text that FFmpeg cannot read among three: the other two follow in order, one line, one question.
  std::vector<ShownBox> asked;
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(convert, IDC_CONVERT_FILES), {clips->sound, clips->text, clips->both});
    asked = boxes.shown();
  }
  EXPECT_EQ(Rows(page, IDC_CONVERT_FILES),
            (std::vector<std::string>{clips->both, clips->video, clips->sound, clips->both}));
  const std::string line = "Invalid data found when processing input '" + clips->text + "'\r\n";
  EXPECT_EQ(ErrorList(), "\xEF\xBB\xBF" + line);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？");
  EXPECT_EQ(asked[0].caption, "ファイル追加エラー");
  EXPECT_EQ(asked[0].owner, main.window());

  // Yes has the shell open the error list, named in double quotes.
  std::vector<std::wstring> opened;
  ui::PageStateOf(convert)->shell_execute = [&](HWND owner, const wchar_t* verb, const wchar_t* file, int show) {
    EXPECT_EQ(owner, convert);
    EXPECT_EQ(show, SW_SHOWNORMAL);
    opened.push_back(std::wstring(verb) + L" " + file);
  };
  {
    MessageBoxAnswerer boxes(IDYES);
    DropFiles(GetDlgItem(convert, IDC_CONVERT_FILES), {clips->text});
    EXPECT_EQ(boxes.shown().size(), 1u);
  }
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"open \"" + platform::Widen(folder.File("error.txt")) + L"\""}));
  EXPECT_EQ(ErrorList(), "\xEF\xBB\xBF" + line + line);
  EXPECT_EQ(page.RowCount(IDC_CONVERT_FILES), 4);
}

struct ListPageCase {
  int page;
  int files;
  int streams;
  int run;
  int remove;
  int up;
  int down;
  int remove_all;
  bool checks_from_flags;
  bool needs_two_files;
};

constexpr ListPageCase kListPages[] = {
    {PAGE_CONCATENATE, IDC_CONCAT_FILES, IDC_CONCAT_STREAMS, IDC_CONCAT_RUN, IDC_CONCAT_DELETE, IDC_CONCAT_UP,
     IDC_CONCAT_DOWN, IDC_CONCAT_DELETE_ALL, false, true},
    {PAGE_SEPARATE, IDC_SEPARATE_FILES, IDC_SEPARATE_STREAMS, IDC_SEPARATE_RUN, IDC_SEPARATE_DELETE,
     IDC_SEPARATE_UP, IDC_SEPARATE_DOWN, IDC_SEPARATE_DELETE_ALL, true, false},
    {PAGE_CONVERT, IDC_CONVERT_FILES, IDC_CONVERT_STREAMS, IDC_CONVERT_RUN, IDC_CONVERT_DELETE, IDC_CONVERT_UP,
     IDC_CONVERT_DOWN, IDC_CONVERT_DELETE_ALL, true, false},
};

TEST_F(PageIntakeTest, ListButtonsKeepRowsStreamsFlagsAndDurationsWithTheirFiles) {
  for (const ListPageCase& c : kListPages) {
    SCOPED_TRACE(c.page);
    HWND window = main.page(c.page);
    ui::WindowDialog page(window);
    FileList& files = ui::PageStateOf(window)->files;
    DropFiles(GetDlgItem(window, c.files), {clips->both, clips->video});
    // Joining needs two files; the others run with one.
    EXPECT_TRUE(page.IsEnabled(c.run));
    DropFiles(GetDlgItem(window, c.files), {clips->sound});
    ASSERT_EQ(files.files.size(), 3u);
    // The sound's one stream is switched off, so that its flag can be followed.
    files.files[2].streams[0].selected = 0;
    const std::vector<std::string> both = Texts(files.files[0]);
    const std::vector<std::string> video = Texts(files.files[1]);
    const std::vector<std::string> sound = Texts(files.files[2]);
    EXPECT_EQ(Kinds(files.files[2]), (std::vector<std::string>{"Audio"}));
    const auto shows = [&](const std::vector<std::string>& streams, std::vector<bool> checked) {
      EXPECT_EQ(Rows(page, c.streams), streams);
      if (!c.checks_from_flags) checked.assign(checked.size(), false);
      EXPECT_EQ(Checks(page, c.streams), checked);
    };

    // Selecting a row shows its streams, as a click or an arrow key does.
    page.SelectRow(c.files, 1);
    EXPECT_EQ(Rows(page, c.streams), video);

    page.SendCommand(c.remove);
    EXPECT_EQ(Rows(page, c.files), (std::vector<std::string>{clips->both, clips->sound}));
    EXPECT_EQ(page.SelectedRow(c.files), 1);
    shows(sound, {false});
    EXPECT_TRUE(page.IsEnabled(c.run));

    page.SendCommand(c.up);
    EXPECT_EQ(Rows(page, c.files), (std::vector<std::string>{clips->sound, clips->both}));
    EXPECT_EQ(page.SelectedRow(c.files), 0);
    shows(sound, {false});
    page.SendCommand(c.up);  // the first row stays where it is
    EXPECT_EQ(Rows(page, c.files), (std::vector<std::string>{clips->sound, clips->both}));

    page.SendCommand(c.down);
    EXPECT_EQ(Rows(page, c.files), (std::vector<std::string>{clips->both, clips->sound}));
    EXPECT_EQ(page.SelectedRow(c.files), 1);
    ASSERT_EQ(files.files.size(), 2u);
    EXPECT_EQ(Texts(files.files[0]), both);
    EXPECT_EQ(Texts(files.files[1]), sound);
    EXPECT_EQ(files.files[1].streams[0].selected, 0);
    if (c.page == PAGE_CONVERT) {
      EXPECT_NEAR(files.files[0].duration, 1, 0.1);
      EXPECT_NEAR(files.files[1].duration, 0.5, 0.1);
    }
    page.SelectRow(c.files, 0);
    shows(both, {true, true});

    // The first of two goes: the sound moves up and is shown; joining now lacks a file.
    page.SendCommand(c.remove);
    EXPECT_EQ(Rows(page, c.files), (std::vector<std::string>{clips->sound}));
    shows(sound, {false});
    EXPECT_EQ(page.IsEnabled(c.run), !c.needs_two_files);

    page.SendCommand(c.remove_all);
    EXPECT_EQ(page.RowCount(c.files), 0);
    EXPECT_EQ(page.RowCount(c.streams), 0);
    EXPECT_FALSE(page.IsEnabled(c.run));
    EXPECT_TRUE(files.files.empty());
  }
}

TEST_F(PageIntakeTest, OnlyAMouseClickOnTheCheckBoxStoresAStreamsFlag) {
  HWND separate = main.page(PAGE_SEPARATE);
  ui::WindowDialog page(separate);
  DropFiles(GetDlgItem(separate, IDC_SEPARATE_FILES), {clips->both, clips->video});
  const FileList& files = ui::PageStateOf(separate)->files;
  HWND streams = GetDlgItem(separate, IDC_SEPARATE_STREAMS);
  ShowPage(PAGE_SEPARATE);
  const auto flags = [&] {
    std::vector<int> selected;
    for (const StreamEntry& stream : files.files[0].streams) selected.push_back(stream.selected);
    return selected;
  };

  ClickAt(CheckBoxPoint(streams, 1));
  EXPECT_TRUE(PumpUntil([&] { return flags() == std::vector<int>{1, 0}; }));
  EXPECT_EQ(Checks(page, IDC_SEPARATE_STREAMS), (std::vector<bool>{true, false}));

  // A click on the text selects the row and changes nothing; the space bar changes the mark only.
  ClickAt(TextPoint(streams, 0));
  Pump(300);
  EXPECT_EQ(page.SelectedRow(IDC_SEPARATE_STREAMS), 0);
  PressKey(VK_SPACE);
  Pump(300);
  EXPECT_EQ(Checks(page, IDC_SEPARATE_STREAMS), (std::vector<bool>{false, false}));
  EXPECT_EQ(flags(), (std::vector<int>{1, 0}));

  // Another file and back: the stored flags are shown again.
  page.SelectRow(IDC_SEPARATE_FILES, 1);
  EXPECT_EQ(Checks(page, IDC_SEPARATE_STREAMS), (std::vector<bool>{true}));
  page.SelectRow(IDC_SEPARATE_FILES, 0);
  EXPECT_EQ(Checks(page, IDC_SEPARATE_STREAMS), (std::vector<bool>{true, false}));
  EXPECT_EQ(files.files[1].streams[0].selected, 1);

  ClickAt(CheckBoxPoint(streams, 1));
  EXPECT_TRUE(PumpUntil([&] { return flags() == std::vector<int>{1, 1}; }));

  // 音声のみ抽出 greys the list, and clears it again.
  ClickControl(GetDlgItem(separate, IDC_SEPARATE_AUDIO_ONLY));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(streams); }));
  ClickControl(GetDlgItem(separate, IDC_SEPARATE_AUDIO_ONLY));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(streams) != 0; }));
}

TEST_F(PageIntakeTest, TheOpenFileDialogAddsSeveralFilesOrOneForAMultiplexInput) {
  const std::string a = CopyClip(clips->both, "a.mp4");
  const std::string b = CopyClip(clips->sound, "b.m4a");
  HWND concatenate = main.page(PAGE_CONCATENATE);
  ui::WindowDialog page(concatenate);
  std::string filter;
  std::thread user([&] { filter = AnswerOpenDialog(main.window(), "\"a.mp4\" \"b.m4a\"", work.path()); });
  page.SendCommand(IDC_CONCAT_ADD);
  user.join();
  EXPECT_EQ(filter, "All files {*.*}");
  EXPECT_EQ(Rows(page, IDC_CONCAT_FILES), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(page.IsEnabled(IDC_CONCAT_RUN));

  HWND multiplex = main.page(PAGE_MULTIPLEX);
  ui::WindowDialog mux(multiplex);
  std::thread chooser([&] { AnswerOpenDialog(main.window(), b); });
  mux.SendCommand(IDC_MUX_OPEN2);
  chooser.join();
  EXPECT_EQ(mux.Text(IDC_MUX_PATH2), b);
  EXPECT_EQ(RowKinds(mux, IDC_MUX_STREAMS2), (std::vector<std::string>{"Audio"}));
  EXPECT_EQ(Checks(mux, IDC_MUX_STREAMS2), (std::vector<bool>{false}));
  EXPECT_EQ(mux.Text(IDC_MUX_PATH1), "");
  EXPECT_TRUE(mux.IsEnabled(IDC_MUX_RUN));
  // A drop of two on input 1 takes the first.
  DropFiles(GetDlgItem(multiplex, IDC_MUX_STREAMS1), {a, b});
  EXPECT_EQ(mux.Text(IDC_MUX_PATH1), a);
  EXPECT_EQ(RowKinds(mux, IDC_MUX_STREAMS1), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_EQ(mux.Text(IDC_MUX_PATH2), b);
}

}  // namespace
}  // namespace clipwright::testing

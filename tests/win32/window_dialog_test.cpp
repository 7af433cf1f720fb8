#include "ui/window_dialog.h"

#include <gtest/gtest.h>

#include <thread>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

class WindowDialogTest : public ::testing::Test {
 protected:
  TempDir folder;
  MainWindowRun main{folder};
  ui::WindowDialog concatenate{main.page(PAGE_CONCATENATE)};
};

TEST_F(WindowDialogTest, ListRowsKeepTheirOrderTextsChecksAndSelection) {
  const int list = IDC_CONCAT_STREAMS;
  const std::string long_line = "Stream #0:1(jpn): Audio: " + std::string(700, 'a');
  concatenate.InsertRow(list, 0, "Stream #0:0: Video: h264");
  concatenate.InsertRow(list, 5, long_line);  // beyond the end: appended
  concatenate.InsertRow(list, 1, "Stream #0:2: Subtitle: 字幕");
  ASSERT_EQ(concatenate.RowCount(list), 3);
  EXPECT_EQ(concatenate.RowText(list, 0), "Stream #0:0: Video: h264");
  EXPECT_EQ(concatenate.RowText(list, 1), "Stream #0:2: Subtitle: 字幕");
  EXPECT_EQ(concatenate.RowText(list, 2), long_line);
  EXPECT_EQ(concatenate.RowText(list, 3), "");

  for (int row = 0; row < 3; ++row) EXPECT_FALSE(concatenate.RowChecked(list, row)) << row;
  concatenate.SetRowChecked(list, 1, true);
  EXPECT_TRUE(concatenate.RowChecked(list, 1));
  EXPECT_FALSE(concatenate.RowChecked(list, 0));
  concatenate.SetRowChecked(list, 1, false);
  EXPECT_FALSE(concatenate.RowChecked(list, 1));

  EXPECT_EQ(concatenate.SelectedRow(list), -1);
  concatenate.SelectRow(list, 2);
  EXPECT_EQ(concatenate.SelectedRow(list), 2);
  EXPECT_EQ(SendDlgItemMessageW(main.page(PAGE_CONCATENATE), list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                LVNI_FOCUSED),
            2);
  concatenate.DeleteRow(list, 0);
  EXPECT_EQ(concatenate.RowCount(list), 2);
  EXPECT_EQ(concatenate.RowText(list, 0), "Stream #0:2: Subtitle: 字幕");
  EXPECT_EQ(concatenate.SelectedRow(list), 1);
  concatenate.DeleteAllRows(list);
  EXPECT_EQ(concatenate.RowCount(list), 0);
  EXPECT_EQ(concatenate.SelectedRow(list), -1);
}

TEST_F(WindowDialogTest, CombosTextsAndMissingControls) {
  const int combo = IDC_CONCAT_CONTAINER;
  EXPECT_EQ(concatenate.ComboCount(combo), 14);
  concatenate.SetComboIndex(combo, 6);
  EXPECT_EQ(concatenate.ComboText(combo), "mp3");
  concatenate.SetComboIndex(combo, -1);
  EXPECT_EQ(concatenate.ComboIndex(combo), -1);
  EXPECT_EQ(concatenate.ComboText(combo), "");
  EXPECT_EQ(concatenate.ComboItem(combo, 14), "");
  concatenate.AddComboItem(combo, "音声");
  EXPECT_EQ(concatenate.ComboItem(combo, 14), "音声");

  EXPECT_EQ(concatenate.Text(IDC_CONCAT_RUN), "連結実行");
  ui::WindowDialog volume(main.page(PAGE_VOLUME));
  volume.SetText(IDC_VOLUME_TARGET, "95.5");
  EXPECT_EQ(volume.Text(IDC_VOLUME_TARGET), "95.5");
  // Ids that the page does not have read as empty and take no change.
  EXPECT_EQ(concatenate.Text(9999), "");
  EXPECT_EQ(concatenate.ComboIndex(9999), -1);
  EXPECT_EQ(concatenate.RowCount(9999), 0);
  EXPECT_FALSE(concatenate.IsChecked(9999));
  EXPECT_FALSE(concatenate.IsEnabled(9999));
  concatenate.Enable(9999, true);
  concatenate.Show(9999, true);
}

TEST_F(WindowDialogTest, AWorkerThreadChangesControlsThroughTheWindowsThread) {
  HWND run_button = GetDlgItem(main.page(PAGE_CONCATENATE), IDC_CONCAT_RUN);
  int answer = 0;
  std::atomic<bool> done{false};
  HWND box_owner = nullptr;
  DWORD box_thread = 0;
  std::thread worker([&] {
    concatenate.Enable(IDC_CONCAT_RUN, true);
    concatenate.Show(IDC_CONCAT_DELETE, false);
    concatenate.InsertRow(IDC_CONCAT_FILES, 0, "C:\\動画\\a.mp4");
    concatenate.SelectRow(IDC_CONCAT_FILES, 0);
    // The box belongs to the window's thread; this thread waits for the answer.
    std::thread closer([&] {
      for (int waited = 0; waited < 10000 && !box_owner; waited += 20) {
        HWND box = FindWindowW(L"#32770", L"確認");
        if (box && IsWindowVisible(box)) {
          box_owner = GetWindow(box, GW_OWNER);
          box_thread = GetWindowThreadProcessId(box, nullptr);
          PostMessageW(box, WM_COMMAND, IDNO, 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    answer = concatenate.MessageBox("続けますか？", "確認", kMessageYesNo);
    closer.join();
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
  worker.join();
  EXPECT_EQ(answer, kAnswerNo);
  EXPECT_EQ(box_owner, main.window());
  EXPECT_EQ(box_thread, GetCurrentThreadId());
  EXPECT_TRUE(IsWindowEnabled(run_button));
  EXPECT_FALSE(concatenate.IsVisible(IDC_CONCAT_DELETE));
  EXPECT_TRUE(concatenate.IsVisible(IDC_CONCAT_ADD));
  EXPECT_EQ(concatenate.RowText(IDC_CONCAT_FILES, 0), "C:\\動画\\a.mp4");
  EXPECT_EQ(concatenate.SelectedRow(IDC_CONCAT_FILES), 0);
}

TEST_F(WindowDialogTest, CommandsReachThePageAsClicksDo) {
  ui::WindowDialog separate(main.page(PAGE_SEPARATE));
  separate.SetChecked(IDC_SEPARATE_AUDIO_ONLY, true);
  EXPECT_TRUE(separate.IsChecked(IDC_SEPARATE_AUDIO_ONLY));
  EXPECT_TRUE(separate.IsEnabled(IDC_SEPARATE_STREAMS));
  separate.SendCommand(IDC_SEPARATE_AUDIO_ONLY);
  EXPECT_FALSE(separate.IsEnabled(IDC_SEPARATE_STREAMS));
}

}  // namespace
}  // namespace clipwright::testing

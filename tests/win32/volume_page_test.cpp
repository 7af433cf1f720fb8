// The volume page in the real main window, with the real Windows FFmpeg and aacgain.exe.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "support/media.h"
#include "test_config.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

// Three dropped files, the middle one without AAC or MP3 audio, run top to bottom under the
// dialog titled AACGain; the stream list follows the selected row.
TEST_F(PageIntakeTest, VolumePageRunsItsFilesTopToBottom) {
  settings.SetText(IDC_AACGAIN_PATH, test_config::kAacgain);
  const std::vector<std::string> inputs{work.File("one.mp3"), work.File("two.mp4"), work.File("three.m4a")};
  ASSERT_TRUE(MakeClip(inputs[0], 3, false, true, "-c:a libmp3lame"));
  ASSERT_TRUE(MakeClip(inputs[1], 3, false, true, "-c:a ac3"));
  ASSERT_TRUE(MakeClip(inputs[2], 3, false, true, "-c:a aac"));
  HWND window = main.page(PAGE_VOLUME);
  ui::WindowDialog page(window);
  {
    MessageBoxAnswerer boxes(IDNO);
    DropFiles(GetDlgItem(window, IDC_VOLUME_FILES), inputs);
    EXPECT_TRUE(boxes.shown().empty());
  }
  ASSERT_EQ(Rows(page, IDC_VOLUME_FILES), inputs);
  page.SelectRow(IDC_VOLUME_FILES, 1);
  EXPECT_TRUE(PumpUntil([&] { return page.RowText(IDC_VOLUME_STREAMS, 0).find("Audio: ac3") != std::string::npos; }));

  FinishedDialog seen;
  std::thread user([&] { seen = CloseFinishedDialog(120000); });
  SendMessageW(GetDlgItem(window, IDC_VOLUME_RUN), BM_CLICK, 0, 0);
  user.join();
  EXPECT_TRUE(seen.title.starts_with("AACGain")) << seen.title;
  EXPECT_EQ(seen.file, inputs[2]);
  EXPECT_EQ(seen.process, "ゲイン適用に成功しました。");
  EXPECT_EQ(seen.summary, "作成結果\r\n成功： 2 ファイル\r\n失敗： 1 ファイル");
  EXPECT_EQ(work.Names(), (std::vector<std::string>{"one.mp3", "one_1.mp3", "three.m4a", "three_1.mp4", "two.mp4"}));
}

}  // namespace
}  // namespace clipwright::testing

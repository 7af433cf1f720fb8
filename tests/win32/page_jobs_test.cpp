// The four list and multiplex jobs started from the real window: the run button fills the job,
// the real job dialog runs the job worker with the real Windows FFmpeg, the test reads the
// summary and presses 閉じる, and the outputs beside the inputs are probed.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "support/media.h"
#include "test_config.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

using Kinds = std::vector<std::string>;

using PageJobTest = PageIntakeTest;

TEST_F(PageJobTest, ConcatenateJoinsThreeFilesBesideTheLast) {
  const std::vector<std::string> inputs{CopyClip(clips->both, "a.mp4"), CopyClip(clips->both, "b.mp4"),
                                        CopyClip(clips->both, "c.mp4")};
  HWND window = main.page(PAGE_CONCATENATE);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_CONCAT_FILES), inputs);
  // This page keeps its choice in the list's check marks: both streams are taken.
  ASSERT_EQ(page.RowCount(IDC_CONCAT_STREAMS), 2);
  page.SetRowChecked(IDC_CONCAT_STREAMS, 0, true);
  page.SetRowChecked(IDC_CONCAT_STREAMS, 1, true);
  EXPECT_EQ(RunJob(window, IDC_CONCAT_RUN), "作成結果\r\n成功： 1 ファイル\r\n失敗： 0 ファイル");
  EXPECT_EQ(StreamKinds(work.File("c_1.mp4")), (Kinds{"Video", "Audio"}));
  EXPECT_NEAR(PlayTime(work.File("c_1.mp4")), 3, 0.3);
  EXPECT_FALSE(platform::PathExists(work.File("input.txt")));
}

TEST_F(PageJobTest, AJoinOfDifferentSizesAsksFirstAndNoMakesNothing) {
  const std::string second = work.File("夏休み_2.mp4");
  ASSERT_TRUE(MakeClip(second, 1, true, true, "-s 320x240 -c:v libx264 -preset ultrafast -g 25 -c:a aac -shortest"));
  const std::vector<std::string> inputs{CopyClip(clips->both, "a.mp4"), second};
  HWND window = main.page(PAGE_CONCATENATE);
  DropFiles(GetDlgItem(window, IDC_CONCAT_FILES), inputs);
  const std::vector<std::string> before = work.Names();
  ShownBox box;
  std::thread user([&] { box = AnswerNextMessageBox(IDNO); });
  SendMessageW(GetDlgItem(window, IDC_CONCAT_RUN), BM_CLICK, 0, 0);
  user.join();
  EXPECT_EQ(box.caption, "連結確認");
  EXPECT_NE(box.text.find("2: 夏休み_2.mp4 — 映像 320x240（1 本目は 160x120）"), std::string::npos) << box.text;
  EXPECT_EQ(work.Names(), before);
}

TEST_F(PageJobTest, SeparateWithAudioOnlyTakesTheAudioOfEachFile) {
  const std::vector<std::string> inputs{CopyClip(clips->both, "x.mp4"), CopyClip(clips->both, "y.mp4")};
  HWND window = main.page(PAGE_SEPARATE);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_SEPARATE_FILES), inputs);
  SendMessageW(GetDlgItem(window, IDC_SEPARATE_AUDIO_ONLY), BM_CLICK, 0, 0);
  EXPECT_FALSE(page.IsEnabled(IDC_SEPARATE_STREAMS));
  SelectItem(page, IDC_SEPARATE_CONTAINER, "mkv");
  EXPECT_EQ(RunJob(window, IDC_SEPARATE_RUN), "作成結果\r\n成功： 2 ファイル\r\n失敗： 0 ファイル");
  EXPECT_EQ(StreamKinds(work.File("x_1.mkv")), (Kinds{"Audio"}));
  EXPECT_EQ(StreamKinds(work.File("y_1.mkv")), (Kinds{"Audio"}));
}

TEST_F(PageJobTest, MultiplexJoinsAVideoOnlyAndAnAudioOnlyFile) {
  const std::string picture = CopyClip(clips->video, "picture.mkv");
  const std::string tone = CopyClip(clips->sound, "tone.m4a");
  HWND window = main.page(PAGE_MULTIPLEX);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_MUX_STREAMS1), {picture});
  DropFiles(GetDlgItem(window, IDC_MUX_STREAMS2), {tone});
  EXPECT_EQ(page.Text(IDC_MUX_PATH1), picture);
  EXPECT_EQ(page.Text(IDC_MUX_PATH2), tone);
  page.SetRowChecked(IDC_MUX_STREAMS1, 0, true);
  page.SetRowChecked(IDC_MUX_STREAMS2, 0, true);
  SelectItem(page, IDC_MUX_CONTAINER, "mkv");
  EXPECT_EQ(RunJob(window, IDC_MUX_RUN), "作成結果\r\n成功： 1 ファイル\r\n失敗： 0 ファイル");
  EXPECT_EQ(StreamKinds(work.File("tone_1.mkv")), (Kinds{"Video", "Audio"}));
}

// A source gone after it was added is named before anything runs; "run the others" makes them.
TEST_F(PageJobTest, AConvertBatchNamesAGoneSourceFirstAndMakesTheOthers) {
  HWND window = main.page(PAGE_CONVERT);
  const std::vector<std::string> inputs{CopyClip(clips->both, "a.mp4"), CopyClip(clips->both, "b.mp4"),
                                        CopyClip(clips->both, "c.mp4")};
  DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), inputs);
  ASSERT_TRUE(platform::DeleteFileForced(inputs[1]));
  ShownBox box;
  std::thread user([&] { box = AnswerNextMessageBox(IDYES); });
  const std::string summary = RunJob(window, IDC_CONVERT_RUN);
  user.join();
  EXPECT_EQ(box.text, "次のファイルは処理できません。\r\n\r\n2: b.mp4 — 見つからないか、追加後に変更されています\r\n\r\n"
                      "ほかのファイルを処理しますか？");
  EXPECT_EQ(summary, "作成結果\r\n成功： 2 ファイル\r\n失敗： 1 ファイル");
  EXPECT_TRUE(platform::PathExists(work.File("a_1.mp4")));
  EXPECT_TRUE(platform::PathExists(work.File("c_1.mp4")));
  EXPECT_FALSE(platform::PathExists(work.File("b_1.mp4")));
}

// With 別FFmpegを使う checked, analysis and jobs run the alternative FFmpeg: the main path names
// a program that is no FFmpeg at all.
TEST_F(PageJobTest, ConvertFollowsEachFilesFlagsCodecOptionsAndSpeedWithTheAlternativeFfmpeg) {
  settings.SetText(IDC_FFMPEG_PATH, TestToolPath("print_args"));
  settings.SetText(IDC_ALT_FFMPEG_PATH, test_config::kFfmpeg);
  HWND window = main.page(PAGE_CONVERT);
  ui::WindowDialog page(window);
  page.SetChecked(IDC_CONVERT_ALT_FFMPEG, true);
  const std::vector<std::string> inputs{CopyClip(clips->both, "a.mp4"), CopyClip(clips->both, "b.mp4")};
  DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), inputs);
  ASSERT_EQ(Rows(page, IDC_CONVERT_FILES), inputs);
  SelectItem(page, IDC_CONVERT_VCODEC, "libx264");
  SelectItem(page, IDC_CONVERT_PRESET, "ultrafast");
  SelectItem(page, IDC_CONVERT_ACODEC, "aac");

  // The audio of a.mp4 only is left out, by a click on its check box.
  ShowPage(PAGE_CONVERT);
  const FileList& files = ui::PageStateOf(window)->files;
  HWND streams = GetDlgItem(window, IDC_CONVERT_STREAMS);
  ClickAt(CheckBoxPoint(streams, 1));
  ASSERT_TRUE(PumpUntil([&] { return files.files[0].streams[1].selected == 0; }));
  EXPECT_EQ(RunJob(window, IDC_CONVERT_RUN), "作成結果\r\n成功： 2 ファイル\r\n失敗： 0 ファイル");
  EXPECT_EQ(StreamKinds(work.File("a_1.mp4")), (Kinds{"Video"}));
  EXPECT_EQ(StreamKinds(work.File("b_1.mp4")), (Kinds{"Video", "Audio"}));

  // Taken again, at double speed.
  ClickAt(CheckBoxPoint(streams, 1));
  ASSERT_TRUE(PumpUntil([&] { return files.files[0].streams[1].selected == 1; }));
  SelectItem(page, IDC_CONVERT_SPEED, "2");
  EXPECT_EQ(RunJob(window, IDC_CONVERT_RUN), "作成結果\r\n成功： 2 ファイル\r\n失敗： 0 ファイル");
  for (const char* name : {"a_2.mp4", "b_2.mp4"}) {
    EXPECT_EQ(StreamKinds(work.File(name)), (Kinds{"Video", "Audio"})) << name;
    EXPECT_NEAR(PlayTime(work.File(name)), 0.5, 0.15) << name;
  }

  // Without the box the main path is asked, and it reads no stream.
  page.SetChecked(IDC_CONVERT_ALT_FFMPEG, false);
  MessageBoxAnswerer boxes(IDNO);
  DropFiles(GetDlgItem(window, IDC_CONVERT_FILES), {inputs[0]});
  EXPECT_EQ(page.RowCount(IDC_CONVERT_FILES), 2);
  EXPECT_EQ(boxes.shown().size(), 1u);
}

}  // namespace
}  // namespace clipwright::testing

// The split page of the real window under Wine with the Windows FFmpeg: a dropped file, the
// trackbars moved as the mouse moves them, and the runs of both kinds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "ui/split_range.h"
#include "ui/control_ids.h"
#include "tools/number_text.h"
#include "platform/files.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "support/temp_folder_override.h"
#include "ui/page_controls.h"
#include "ui/window_dialog.h"
#include "window_intake.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

using SplitPageTest = PageIntakeTest;

// Drags trackbar `id` to `position`: the trackbar moves, then tells the page.
void Slide(HWND page, int id, int position) {
  HWND track = GetDlgItem(page, id);
  SendMessageW(track, TBM_SETPOS, TRUE, position);
  SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(track));
}

const char* const kOneDone = "作成結果\r\n成功： 1 ファイル\r\n失敗： 0 ファイル";

// Whether the picture control shows exactly the rows of `picture` (while its page may be hidden).
bool Shows(HWND control, const Picture* picture) {
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
  DIBSECTION section{};
  if (!picture || !bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits ||
      (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) == 0) {
    return false;
  }
  const auto* bits = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
  return std::vector<std::uint8_t>(bits, bits + picture->rows.size()) == picture->rows;
}

TEST_F(SplitPageTest, ADroppedVideoIsCutToItsRangeAndAtEveryKeyframe) {
  const std::string clip = work.File("clip.mp4");
  ASSERT_TRUE(MakeClip(clip, 3, true, false, "-c:v libx264 -bf 2 -g 25 -keyint_min 25 -sc_threshold 0"));
  HWND window = main.page(PAGE_SPLIT);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_SPLIT_STREAMS), {clip, clips->both});
  EXPECT_EQ(page.Text(IDC_SPLIT_PATH), clip);
  EXPECT_EQ(page.Text(IDC_SPLIT_PLAY_TIME), "00:00:03.000");
  EXPECT_EQ(SendDlgItemMessageW(window, IDC_SPLIT_END_TRACK, TBM_GETRANGEMAX, 0, 0), 3);
  EXPECT_TRUE(page.IsVisible(IDC_SPLIT_PICTURE));

  Slide(window, IDC_SPLIT_START_TRACK, 1);
  // Keyframe 1's picture is made once the trackbar stops there, and shown when it is ready.
  const KeyframePictures& pictures = ui::PageStateOf(window)->split.pictures;
  EXPECT_TRUE(PumpUntil([&] { return Shows(GetDlgItem(window, IDC_SPLIT_PICTURE), pictures.Of(1).get()); }, 20000));
  Slide(window, IDC_SPLIT_END_TRACK, 2);
  EXPECT_EQ(page.Text(IDC_SPLIT_START_TIME), "00:00:01.000");
  EXPECT_EQ(page.Text(IDC_SPLIT_END_TIME), "00:00:02.000");
  EXPECT_EQ(RunJob(window, IDC_SPLIT_RUN), kOneDone);
  EXPECT_NEAR(PlayTime(work.File("clip_00001.000-00002.000_1.mp4")), 1, 0.05);

  SendMessageW(GetDlgItem(window, IDC_SPLIT_AT_KEYFRAMES), BM_CLICK, 0, 0);
  SelectItem(page, IDC_SPLIT_CONTAINER, "mkv");
  EXPECT_EQ(RunJob(window, IDC_SPLIT_RUN), "作成結果\r\n成功： 3 ファイル\r\n失敗： 0 ファイル");
  // Matroska counts a piece's length from its first decode time: two B-frames add two frames,
  // except in the first piece, which is read from the start of the file.
  EXPECT_NEAR(PlayTime(work.File("clip_[000000]_000000-000025.mkv")), 1.0, 0.01);
  for (const char* piece : {"clip_[000001]_000025-000050.mkv", "clip_[000002]_000050-000075.mkv"}) {
    EXPECT_NEAR(PlayTime(work.File(piece)), 1.08, 0.01) << piece;
  }
}

// フレーム単位: the trackbars step over every frame, the picture is the frame's own, and the cut
// between keyframes holds exactly the frames of the range.
TEST_F(SplitPageTest, FrameByFrameTheRangeStartsAndEndsBetweenKeyframes) {
  const std::string clip = work.File("clip.mp4");
  ASSERT_TRUE(MakeClip(clip, 3, true, false, "-c:v libx264 -bf 2 -g 25 -keyint_min 25 -sc_threshold 0 -pix_fmt yuv420p"));
  HWND window = main.page(PAGE_SPLIT);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_SPLIT_STREAMS), {clip});
  SendMessageW(GetDlgItem(window, IDC_SPLIT_BY_FRAME), BM_CLICK, 0, 0);
  EXPECT_EQ(SendDlgItemMessageW(window, IDC_SPLIT_END_TRACK, TBM_GETRANGEMAX, 0, 0), 75);
  Slide(window, IDC_SPLIT_START_TRACK, 10);
  const KeyframePictures& pictures = ui::PageStateOf(window)->split.pictures;
  EXPECT_TRUE(PumpUntil(
      [&] { return Shows(GetDlgItem(window, IDC_SPLIT_PICTURE), pictures.Of(KeyframePictures::kFrame | 10).get()); },
      20000));
  Slide(window, IDC_SPLIT_END_TRACK, 61);
  EXPECT_EQ(page.Text(IDC_SPLIT_START_TIME), "00:00:00.400");
  EXPECT_EQ(page.Text(IDC_SPLIT_END_TIME), "00:00:02.440");
  EXPECT_EQ(RunJob(window, IDC_SPLIT_RUN), kOneDone);
  EXPECT_EQ(DecodedFrames(work.File("clip_00000.400-00002.440_1.mp4")), 51);

  SendMessageW(GetDlgItem(window, IDC_SPLIT_BY_FRAME), BM_CLICK, 0, 0);
  EXPECT_EQ(SendDlgItemMessageW(window, IDC_SPLIT_END_TRACK, TBM_GETRANGEMAX, 0, 0), 3);
}

TEST_F(SplitPageTest, ClosingTheProgramWhileAPictureIsMadeLeavesNoFolder) {
  const std::string clip = work.File("clip.mkv");
  ASSERT_TRUE(MakeClip(clip, 10, true, false, "-c:v libx264 -g 25 -keyint_min 25 -sc_threshold 0"));
  TempDir temp;
  TempFolderOverride own_temp(temp);
  HWND window = main.page(PAGE_SPLIT);
  DropFiles(GetDlgItem(window, IDC_SPLIT_STREAMS), {clip});
  EXPECT_EQ(platform::ListFolder(temp.path()).size(), 1u);
  Slide(window, IDC_SPLIT_START_TRACK, 7);
  main.Close();
  EXPECT_TRUE(platform::ListFolder(temp.path()).empty());
}

TEST_F(SplitPageTest, AnAudioFileIsCutAtAudioFramesAndHasNoKeyframesToSplitAt) {
  const std::string tone = work.File("tone.mp3");
  ASSERT_TRUE(MakeClip(tone, 2, false, true, "-c:a libmp3lame"));
  HWND window = main.page(PAGE_SPLIT);
  ui::WindowDialog page(window);
  DropFiles(GetDlgItem(window, IDC_SPLIT_STREAMS), {tone});
  EXPECT_GE(SendDlgItemMessageW(window, IDC_SPLIT_END_TRACK, TBM_GETRANGEMAX, 0, 0), 76);  // 1152 samples each
  EXPECT_FALSE(page.IsVisible(IDC_SPLIT_PICTURE));
  Slide(window, IDC_SPLIT_END_TRACK, 38);
  const double end = ui::PageStateOf(window)->split.frame_times[38];
  EXPECT_EQ(page.Text(IDC_SPLIT_END_TIME), FrameTimeText(end));
  SelectItem(page, IDC_SPLIT_CONTAINER, "mp3");
  EXPECT_EQ(RunJob(window, IDC_SPLIT_RUN), kOneDone);
  EXPECT_NEAR(PlayTime(work.File("tone_00000.000-" + FixedText(end, 3, 9) + "_1.mp3")), end, 0.05);

  SendMessageW(GetDlgItem(window, IDC_SPLIT_AT_KEYFRAMES), BM_CLICK, 0, 0);
  ShownBox box;
  std::thread user([&] { box = AnswerNextMessageBox(); });
  SendMessageW(GetDlgItem(window, IDC_SPLIT_RUN), BM_CLICK, 0, 0);
  user.join();
  EXPECT_EQ(box.text, "映像フォーマットが無いか、キーフレームがありません。");
  EXPECT_EQ(box.caption, "全分割エラー");
}

}  // namespace
}  // namespace clipwright::testing

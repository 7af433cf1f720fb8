#include "ui/split_range.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "win32/fake_dialog.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::TempDir;

// A video of 150 frames at 25 fps with keyframes at frames 0, 50 and 100, whose pictures the
// decoding scan wrote into `pictures`; or an audio file of 1000 frames of 1152 samples.
void Video(SplitPageState& split, const TempDir& pictures) {
  split.video_kind = 2;
  split.last_frame_index = 150;
  for (int n = 0; n <= 150; ++n) split.frame_times.push_back(n / 25.0);
  split.keyframe_count = 3;
  split.keyframe_frames = {0, 50, 100, 150};
  std::vector<std::string> files;
  for (const char k : {'0', '1', '2'}) {
    // 1x1 pixel, whose blue sample is k.
    std::string bmp(54, '\0');
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 1, bmp[22] = 1, bmp[26] = 1, bmp[28] = 24;
    files.push_back(pictures.Write(std::string(1, k) + ".bmp", bmp + k + "GR" + '\0'));
  }
  split.pictures.OpenFiles(files, pictures.path());
}

void Audio(SplitPageState& split) {
  split.last_frame_index = 999;
  for (int n = 0; n <= 999; ++n) split.frame_times.push_back(n * 1152 / 44100.0);
}

struct RangeCase {
  const char* name;
  bool video;
  std::string moves;  // "s<n>" start trackbar to n, "e<n>" end trackbar to n, "r" reset, "m" maximum
  int start;          // trackbar positions afterwards
  int end;
  std::string start_text;
  std::string end_text;
  int picture;  // keyframe whose picture shows; -1 hidden
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class SplitRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SplitRangeTest, TrackbarsStayApartAndShowTheirTimesAndPicture) {
  const RangeCase& c = GetParam();
  TempDir pictures;
  SplitPageState split;
  c.video ? Video(split, pictures) : Audio(split);
  FakeDialog page;
  OnSplitAnalysed(split, page);
  std::istringstream moves(c.moves);
  for (std::string move; moves >> move;) {
    const int to = move.size() > 1 ? std::stoi(move.substr(1)) : 0;
    if (move[0] == 's') {
      page.SetTrackPosition(IDC_SPLIT_START_TRACK, to);
      MoveSplitStart(split, page);
    } else if (move[0] == 'e') {
      page.SetTrackPosition(IDC_SPLIT_END_TRACK, to);
      MoveSplitEnd(split, page);
    } else if (move[0] == 'r') {
      ResetSplitRange(split, page);
    } else {
      SetSplitMaximum(split, page);
    }
  }
  EXPECT_EQ(page.TrackPosition(IDC_SPLIT_START_TRACK), c.start);
  EXPECT_EQ(page.TrackPosition(IDC_SPLIT_END_TRACK), c.end);
  EXPECT_EQ(page.Text(IDC_SPLIT_START_TIME), c.start_text);
  EXPECT_EQ(page.Text(IDC_SPLIT_END_TIME), c.end_text);
  const Picture* shown = page.ShownPicture(IDC_SPLIT_PICTURE);
  if (c.picture < 0) {
    EXPECT_EQ(shown, nullptr);
  } else {
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->rows[0], '0' + c.picture);
  }
  const int maximum = static_cast<int>(KeyframeMode(split) ? split.keyframe_count : split.last_frame_index);
  EXPECT_EQ(page.TrackRange(IDC_SPLIT_END_TRACK), std::make_pair(0, maximum));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, SplitRangeTest,
    ::testing::Values(
        RangeCase{"VideoOpened", true, "", 0, 3, "00:00:00.000", "00:00:06.000", 0},
        RangeCase{"StartCannotReachTheEnd", true, "s3", 2, 3, "00:00:04.000", "00:00:06.000", 2},
        RangeCase{"StartStaysBelowTheEnd", true, "e1 s2", 0, 1, "00:00:00.000", "00:00:02.000", 0},
        RangeCase{"EndAtZeroGoesToOne", true, "e0", 0, 1, "00:00:00.000", "00:00:02.000", 1},
        RangeCase{"EndStaysAboveTheStartAndHidesThePictureAtTheEnd", true, "s2 e1", 2, 3, "00:00:04.000",
                  "00:00:06.000", -1},
        RangeCase{"Maximum", true, "e2 m", 0, 3, "00:00:00.000", "00:00:06.000", -1},
        RangeCase{"Reset", true, "s1 e2 r", 0, 3, "00:00:00.000", "00:00:06.000", 0},
        RangeCase{"AudioOpened", false, "", 0, 999, "00:00:00.000", "00:00:26.096", -1},
        RangeCase{"AudioEndAtZeroGoesToOne", false, "e0", 0, 1, "00:00:00.000", "00:00:00.026", -1},
        RangeCase{"AudioEndAboveTheStart", false, "s500 e0", 500, 501, "00:00:13.061", "00:00:13.087", -1},
        RangeCase{"AudioStartBelowTheEnd", false, "s999", 998, 999, "00:00:26.070", "00:00:26.096", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitRange, TimeTextsCutTheMillisecondsWithoutFloatingPointLoss) {
  EXPECT_EQ(FrameTimeText(0.29), "00:00:00.290");
  EXPECT_EQ(FrameTimeText(3723.0119), "01:02:03.011");
}

}  // namespace
}  // namespace clipwright

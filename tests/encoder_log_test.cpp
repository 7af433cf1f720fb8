#include "tools/encoder_log.h"

#include <gtest/gtest.h>

#include <string>

namespace clipwright {
namespace {

std::string FrameLine(int coded, int poc, double y, double u, double v) {
  return "[libx264 @ 0x5581] frame=" + std::to_string(coded) + " QP=17.73 NAL=2 Slice:P Poc:" + std::to_string(poc) +
         "   I:17 P:479 SKIP:3104 size=18000 bytes PSNR Y:" + std::to_string(y) + " U:" + std::to_string(u) +
         " V:" + std::to_string(v) + "\n";
}

// An IDR frame, then a P-frame coded before the B-frame shown between them, and a second IDR
// period; the decoder's own debug lines and the progress line around them.
const std::string kLog = "[h264 @ 0x55] nal_unit_type: 5(IDR), nal_ref_idc: 3\n" + FrameLine(0, 0, 50, 50, 50) +
                         FrameLine(1, 4, 46, 46, 46) + FrameLine(2, 2, 42, 42, 42) + FrameLine(3, 0, 48, 48, 48) +
                         "frame=    4 fps=0.0 q=-1.0 Lsize=      53kB time=00:00:00.12 dup=0 drop=0 speed=0.2x\n";

TEST(EncodedFramePsnr, TellsEachFrameInTheOrderShown) {
  const std::optional<std::vector<double>> psnr = EncodedFramePsnr(kLog, 4, 4);
  ASSERT_TRUE(psnr);
  ASSERT_EQ(psnr->size(), 4u);
  EXPECT_NEAR((*psnr)[0], 50, 1e-9);
  EXPECT_NEAR((*psnr)[1], 42, 1e-9);  // the B-frame, shown second
  EXPECT_NEAR((*psnr)[2], 46, 1e-9);
  EXPECT_NEAR((*psnr)[3], 48, 1e-9);  // after the second IDR frame's reset of the order count
}

// The planes' errors are averaged by their sizes, as FFmpeg's PSNR filter does: a luma plane at
// 50 dB with chroma at 40 dB is 43.98 dB in 4:2:0 (four luma samples to one of each chroma)
// and 41.55 dB in 4:4:4.
TEST(EncodedFramePsnr, WeighsThePlanesBySize) {
  const std::string line = FrameLine(0, 0, 50, 40, 40);
  EXPECT_NEAR(EncodedFramePsnr(line, 1, 4)->front(), 43.98, 0.01);
  EXPECT_NEAR(EncodedFramePsnr(line, 1, 1)->front(), 41.55, 0.01);
}

// Anything that makes the frames not the source's in order, or not all told, is no report.
TEST(EncodedFramePsnr, NoneWhenFramesAreMissingDoubledOrDropped) {
  EXPECT_FALSE(EncodedFramePsnr(kLog, 5, 4));
  EXPECT_FALSE(EncodedFramePsnr(kLog + "frame=    5 fps=0.0 q=-1.0 size=53kB dup=1 drop=0\n", 4, 4));
  EXPECT_FALSE(EncodedFramePsnr(kLog + "frame=    5 fps=0.0 q=-1.0 size=53kB drop=2\n", 4, 4));
  EXPECT_FALSE(EncodedFramePsnr("[libx264 @ 0x1] frame=   0 QP=7.77 NAL=3 Slice:I Poc:0 size=38120 bytes\n", 1, 4));
  EXPECT_FALSE(EncodedFramePsnr("", 1, 4));
}

}  // namespace
}  // namespace clipwright

#include "analysis/keyframe_pictures.h"

#include <gtest/gtest.h>

#include <string>

namespace clipwright {
namespace {

// A BMP file of the given fields: 54 header bytes, then `pixels` bytes of rows.
std::string Bmp(int width, int height, int bits, int compression, std::size_t pixels) {
  std::string bytes(54 + pixels, '\x07');
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(10, 54);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  bytes[28] = static_cast<char>(bits);
  bytes[29] = 0;
  put(30, static_cast<std::uint32_t>(compression));
  return bytes;
}

TEST(ReadBmp, TakesTheRowsOfA24BitPictureAndNothingElse) {
  // Three pixels of 3 bytes make rows of 12 bytes with their padding.
  const std::optional<Picture> picture = ReadBmp(Bmp(3, 2, 24, 0, 24));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 3);
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(picture->rows, std::vector<std::uint8_t>(24, 7));
  EXPECT_TRUE(ReadBmp(Bmp(3, -2, 24, 0, 24)));  // top row first
  EXPECT_FALSE(ReadBmp(Bmp(3, 2, 24, 0, 23)));  // cut short
  EXPECT_FALSE(ReadBmp(Bmp(3, 2, 32, 0, 32)));
  EXPECT_FALSE(ReadBmp(Bmp(3, 2, 24, 1, 24)));
  EXPECT_FALSE(ReadBmp(Bmp(0, 2, 24, 0, 24)));
  EXPECT_FALSE(ReadBmp(Bmp(1 << 30, 1 << 30, 24, 0, 24)));
  EXPECT_FALSE(ReadBmp("BM"));
}

}  // namespace
}  // namespace clipwright

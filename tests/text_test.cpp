#include "platform/text.h"

#include <gtest/gtest.h>

namespace clipwright::platform {
namespace {

TEST(Utf16Length, CountsCodeUnitsNotBytes) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("動画.mp4"), 6u);        // 3-byte characters count one each
  EXPECT_EQ(Utf16Length("\xF0\x9F\x8E\xAC"), 2u);  // U+1F3AC outside the BMP counts two
}

TEST(Utf8Utf16, RoundTripKeepsEveryPlane) {
  const std::string text = "a\xC3\xA9\xE5\x8B\x95\xF0\x9F\x8E\xAC";
  EXPECT_EQ(Utf8ToUtf16(text), u"a\u00E9\u52D5\U0001F3AC");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
}

TEST(Utf8Validity, RejectsBrokenSequences) {
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("\xE5\x8B\x95"));
  EXPECT_FALSE(IsValidUtf8("\x93\xAE\x89\xE6"));  // Shift_JIS for 動画
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE5\x8B"));          // cut short
  EXPECT_EQ(ReplaceInvalidUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
}

// Valid UTF-8 (what FFmpeg writes into a pipe) is kept; anything else comes back as valid UTF-8
// with its ASCII intact, from the ANSI code page on Windows or with replacement characters.
TEST(DecodeToolOutput, KeepsUtf8AndRepairsTheRest) {
  EXPECT_EQ(DecodeToolOutput("Input #0, from '\xE5\x8B\x95\xE7\x94\xBB.mp4':"), "Input #0, from '動画.mp4':");
  EXPECT_EQ(DecodeToolOutput(""), "");
  const std::string decoded = DecodeToolOutput("from '\x93\xAE\x89\xE6.mp4'");
  EXPECT_TRUE(IsValidUtf8(decoded));
  EXPECT_TRUE(decoded.starts_with("from '"));
  EXPECT_TRUE(decoded.ends_with(".mp4'"));
}

}  // namespace
}  // namespace clipwright::platform

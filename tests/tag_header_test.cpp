#include "jobs/tag_header.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::TempDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// A tag header of the given version and flags whose four size bytes are given as they are stored.
std::string Header(int version, int flags, int s0, int s1, int s2, int s3) {
  return "ID3" + Bytes({version, 0, flags, s0, s1, s2, s3});
}

// What FFmpeg writes for an MP3 with -map_metadata -1 and the bitexact flags: a version-4 tag
// with ten bytes of padding, then the first frame.
const std::string kFfmpegTag = Header(4, 0, 0, 0, 0, 10) + std::string(10, '\0');
const std::string kFrame = Bytes({0xFF, 0xFB, 0x40, 0xC0}) + std::string(40, '\x55');

struct TagCase {
  const char* name;
  std::string bytes;
  std::size_t expected;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class TagLengthTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(TagLengthTest, Measures) { EXPECT_EQ(TagHeaderLength(GetParam().bytes), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, TagLengthTest,
    ::testing::Values(
        TagCase{"FfmpegBitexactTag", kFfmpegTag + kFrame, 20},
        TagCase{"NoTag", kFrame, 0},
        TagCase{"Empty", "", 0},
        TagCase{"HeaderCutShort", "ID3" + Bytes({4, 0, 0, 0, 0}), 0},
        TagCase{"SynchsafeSizeOverSeveralBytes", Header(3, 0, 0, 0, 1, 2) + std::string(130, 'x') + kFrame, 140},
        TagCase{"Version4FooterFlagAddsTheFooter",
                Header(4, 0x10, 0, 0, 0, 5) + std::string(5, 'x') + "3DI" + std::string(7, '\0') + kFrame, 25},
        TagCase{"Version3HasNoFooter", Header(3, 0x10, 0, 0, 0, 5) + std::string(5, 'x') + kFrame, 15},
        TagCase{"StackedTagsAreAllCounted",
                kFfmpegTag + Header(3, 0, 0, 0, 0, 4) + std::string(4, 'x') + kFrame, 34},
        TagCase{"SizeByteOver0x7FIsNotATag", Header(4, 0, 0, 0, 0x80, 0) + std::string(200, 'x'), 0},
        TagCase{"SizePastTheEndIsNotATag", Header(4, 0, 0, 0, 0, 100) + std::string(50, 'x'), 0},
        TagCase{"VersionFFIsNotATag", Header(0xFF, 0, 0, 0, 0, 4) + std::string(20, 'x'), 0},
        TagCase{"ABadSecondHeaderEndsTheStack",
                kFfmpegTag + Header(4, 0, 0x80, 0, 0, 0) + std::string(20, 'x'), 20},
        TagCase{"ATagThatIsTheWholeFile", kFfmpegTag, 20}),
    [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, &bytes));
  return bytes;
}

TEST(StripTagHeader, RemovesExactlyTheTagsAndNothingElse) {
  TempDir dir;
  const std::string longer_tag = Header(4, 0, 0, 0, 0, 35) + std::string(35, 'T');
  const struct {
    std::string name, bytes, expected;
  } cases[] = {
      {"bitexact.mp3", kFfmpegTag + kFrame, kFrame},
      {"longer.mp3", longer_tag + kFrame, kFrame},  // no longer cut in two
      {"stacked.mp3", kFfmpegTag + longer_tag + kFrame, kFrame},
      {"plain.mp3", kFrame, kFrame},  // no tag: untouched
  };
  for (const auto& c : cases) {
    const std::string path = dir.Write(c.name, c.bytes);
    EXPECT_TRUE(StripTagHeader(path)) << c.name;
    EXPECT_EQ(Read(path), c.expected) << c.name;
  }
  EXPECT_EQ(platform::ListFolder(dir.path()).size(), 4u);  // nothing left beside them
}

TEST(StripTagHeader, SmallMissingAndReadOnlyFiles) {
  TempDir dir;
  const std::string small = dir.Write("small.mp3", kFfmpegTag);
  EXPECT_FALSE(StripTagHeader(small));
  EXPECT_EQ(Read(small), kFfmpegTag);
  EXPECT_FALSE(StripTagHeader(dir.File("missing.mp3")));

  const std::string locked = dir.Write("readonly.mp3", kFfmpegTag + kFrame);
  platform::SetReadOnly(locked);
  EXPECT_TRUE(StripTagHeader(locked));
  EXPECT_EQ(Read(locked), kFrame);
}

}  // namespace
}  // namespace clipwright

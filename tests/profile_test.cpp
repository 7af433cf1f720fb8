// The profile file through this build's Profile: the platform's functions in the Windows build,
// the program's own reader and writer natively. Both builds must give the same answers and, for
// the same writes, the same bytes.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <ostream>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/fixture.h"
#include "support/temp_dir.h"

namespace clipwright::platform {
namespace {

using clipwright::testing::TempDir;
using clipwright::testing::Utf16File;

std::string Fixture(std::string_view name) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(clipwright::testing::FixturePath(name), &bytes)) << name;
  return bytes;
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}

std::array<std::uint8_t, 44> Placement() {
  std::array<std::uint8_t, 44> bytes{};
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0xD0});  // wraps past 0xFF: every digit occurs
  bytes[0] = 44;
  bytes[1] = bytes[2] = bytes[3] = 0;
  return bytes;
}

// The writes behind tests/fixtures/status_edits.ini, which the Windows build wrote under Wine:
// Japanese keys that an ANSI file would turn into the same "?" key, a struct, a second section,
// a key matched in another case (it keeps its first spelling and place), a value with blanks
// around it, a write that changes nothing, and an empty value.
void WriteEditSequence(Profile& file) {
  const auto placement = Placement();
  ASSERT_TRUE(file.WriteStruct("setting", "WindowPlacement", placement.data(), placement.size()));
  ASSERT_TRUE(file.WriteString("setting", "FFmpeg Path", "C:\\ツール\\ffmpeg 6.1\\ffmpeg.exe"));
  ASSERT_TRUE(file.WriteString("setting", "一時ファイルを作成する", "1"));
  ASSERT_TRUE(file.WriteString("setting", "コマンドログ作成", "0"));
  ASSERT_TRUE(file.WriteString("other", "k", "v"));
  ASSERT_TRUE(file.WriteString("SETTING", "-Y", "1"));
  ASSERT_TRUE(file.WriteString("setting", "-y", "0"));
  ASSERT_TRUE(file.WriteString("setting", "絵文字 😀", "  spaced  "));
  ASSERT_TRUE(file.WriteString("other", "k", "v"));
  ASSERT_TRUE(file.WriteString("setting", "Target dB", ""));
}

TEST(Profile, WritesTheBytesTheWindowsBuildWrites) {
  TempDir dir;
  Profile file(dir.File("status.ini"));
  WriteEditSequence(file);
  EXPECT_EQ(FileBytes(file.path()), Fixture("status_edits.ini"));
}

TEST(Profile, ReadsTheFileTheWindowsBuildWrote) {
  TempDir dir;
  const Profile file(dir.Write("status.ini", Fixture("status_edits.ini")));
  EXPECT_EQ(file.GetString("setting", "FFmpeg Path", ""), "C:\\ツール\\ffmpeg 6.1\\ffmpeg.exe");
  EXPECT_EQ(file.GetInt("setting", "一時ファイルを作成する", 7), 1);
  EXPECT_EQ(file.GetInt("setting", "コマンドログ作成", 7), 0);
  EXPECT_EQ(file.GetInt("Setting", "-y", 7), 0);
  EXPECT_EQ(file.GetString("setting", "絵文字 😀", ""), "spaced");
  EXPECT_EQ(file.GetString("other", "K", ""), "v");
  // Present but empty: the string is empty, the number falls back.
  EXPECT_EQ(file.GetString("setting", "Target dB", "100.0"), "");
  EXPECT_EQ(file.GetInt("setting", "Target dB", 7), 7);
  std::array<std::uint8_t, 44> placement{};
  ASSERT_TRUE(file.GetStruct("setting", "WindowPlacement", placement.data(), placement.size()));
  EXPECT_EQ(placement, Placement());
}

TEST(Profile, AMissingFileGivesTheFallbacksAndIsNotCreatedByReading) {
  TempDir dir;
  const Profile file(dir.File("status.ini"));
  EXPECT_EQ(file.GetString("setting", "Target dB", "100.0"), "100.0");
  EXPECT_EQ(file.GetInt("setting", "-strict combo", 2), 2);
  std::array<std::uint8_t, 44> placement{};
  EXPECT_FALSE(file.GetStruct("setting", "WindowPlacement", placement.data(), placement.size()));
  EXPECT_FALSE(PathExists(file.path()));
}

TEST(Profile, AFileInAMissingFolderIsNotWritten) {
  TempDir dir;
  Profile file(dir.File("missing") + PathSeparator() + "status.ini");
  EXPECT_FALSE(file.WriteString("setting", "-y", "1"));
  EXPECT_EQ(file.GetInt("setting", "-y", 0), 0);
}

// A file edited by hand: comments, blanks, lines without "=", a 10,000-character value, keys in
// another case, quotes, a section that is never asked for and one that is missing.
constexpr std::string_view kHandEdited =
    "; edited by hand\r\n"
    "\r\n"
    "[setting]\r\n"
    "  FFmpeg Path  =  \"C:\\Program Files\\ffmpeg.exe\"  \r\n"
    "just some words\r\n"
    "-y = 1\r\n"
    "-STRICT COMBO=4\r\n"
    "unknown key=whatever\r\n"
    "\t\r\n"
    "[extra]\n"
    "-y=0\n";

struct ReadCase {
  const char* name;
  const char* section;
  const char* key;
  std::size_t capacity;
  std::string expected;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class HandEditedFile : public ::testing::TestWithParam<ReadCase> {};

TEST_P(HandEditedFile, ReadsAsThePlatformReadsIt) {
  TempDir dir;
  const std::string long_value(10000, 'x');
  const std::string text = std::string(kHandEdited) + "[long]\r\nvalue=" + long_value + "\r\nafter=1\r\n";
  const Profile file(dir.Write("status.ini", Utf16File(text)));
  const ReadCase& c = GetParam();
  EXPECT_EQ(file.GetString(c.section, c.key, "fallback ", c.capacity), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, HandEditedFile,
    ::testing::Values(ReadCase{"TrimmedUnquoted", "setting", "ffmpeg path", 260, "C:\\Program Files\\ffmpeg.exe"},
                      ReadCase{"CutToCapacity", "setting", "FFmpeg Path", 6, "C:\\Pr"},
                      ReadCase{"CapacityOneIsEmpty", "setting", "FFmpeg Path", 1, ""},
                      ReadCase{"CapacityZeroIsEmpty", "setting", "FFmpeg Path", 0, ""},
                      ReadCase{"LineWithoutEqualsIsNoValue", "setting", "just some words", 260, "fallback"},
                      ReadCase{"FirstSectionWins", "setting", "-y", 260, "1"},
                      ReadCase{"OtherSection", "extra", "-y", 260, "0"},
                      ReadCase{"MissingSection", "nowhere", "-y", 260, "fallback"},
                      ReadCase{"FallbackCut", "nowhere", "-y", 4, "fal"},
                      ReadCase{"LongValueCut", "long", "value", 260, std::string(259, 'x')},
                      ReadCase{"AfterTheLongValue", "long", "after", 260, "1"}),
    [](const auto& info) { return info.param.name; });

TEST(Profile, LongValuesAreReadWholeWhenTheCapacityAllows) {
  TempDir dir;
  const std::string long_value(10000, 'x');
  const Profile file(dir.Write("status.ini", Utf16File("[s]\r\nvalue=" + long_value + "\r\n")));
  EXPECT_EQ(file.GetString("s", "value", "", 20000), long_value);
  EXPECT_EQ(file.GetString("s", "value", "", 10000), long_value.substr(0, 9999));
  EXPECT_EQ(file.GetInt("s", "value", 5), 0);
}

TEST(Profile, CapacityCountsUtf16UnitsAndNeverSplitsAPair) {
  TempDir dir;
  const Profile file(dir.Write("status.ini", Utf16File("[s]\r\nk=日本😀語\r\n")));
  EXPECT_EQ(file.GetString("s", "k", "", 3), "日本");
  EXPECT_EQ(file.GetString("s", "k", "", 4), "日本");  // the pair would be cut: it is left out
  EXPECT_EQ(file.GetString("s", "k", "", 5), "日本😀");
  EXPECT_EQ(file.GetString("s", "k", "", 6), "日本😀語");
}

struct IntCase {
  const char* text;
  int expected;
  friend void PrintTo(const IntCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class ProfileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ReadsTheLeadingNumber) {
  TempDir dir;
  const Profile file(dir.Write("status.ini", Utf16File(std::string("[s]\r\nk=") + GetParam().text + "\r\n")));
  EXPECT_EQ(file.GetInt("s", "k", 42), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Profile, ProfileInt,
                         ::testing::Values(IntCase{"1", 1}, IntCase{"-1", -1}, IntCase{"+5", 5}, IntCase{"017", 17},
                                           IntCase{"0x1F", 31}, IntCase{"-0x10", -16}, IntCase{"0b101", 5},
                                           IntCase{"0o17", 15}, IntCase{"12abc", 12}, IntCase{"abc", 0},
                                           IntCase{"--5", 0}, IntCase{"\"8\"", 8}, IntCase{"", 42},
                                           IntCase{"4294967295", -1}, IntCase{"2147483648", -2147483647 - 1},
                                           IntCase{"99999999999", 1215752191}, IntCase{"0X10", 0},
                                           // Read through 30 characters: the last six digits are not seen.
                                           IntCase{"12345678901234567890123456789012345", 1849262357}));

struct StructCase {
  const char* name;
  const char* value;
  bool read;
  friend void PrintTo(const StructCase& c, std::ostream* os) { *os << c.name; }
};

class ProfileStruct : public ::testing::TestWithParam<StructCase> {};

TEST_P(ProfileStruct, NeedsTheLengthAndTheChecksum) {
  TempDir dir;
  const Profile file(dir.Write("status.ini", Utf16File(std::string("[s]\r\nk=") + GetParam().value + "\r\n")));
  std::array<std::uint8_t, 4> data{9, 9, 9, 9};
  ASSERT_EQ(file.GetStruct("s", "k", data.data(), data.size()), GetParam().read);
  if (GetParam().read) {
    EXPECT_EQ(data, (std::array<std::uint8_t, 4>{0x2C, 0x00, 0xFF, 0x10}));
  } else {
    EXPECT_EQ(data, (std::array<std::uint8_t, 4>{9, 9, 9, 9})) << "a failed read leaves the data alone";
  }
}

INSTANTIATE_TEST_SUITE_P(Profile, ProfileStruct,
                         ::testing::Values(StructCase{"UpperCase", "2C00FF103B", true},
                                           StructCase{"LowerCase", "2c00ff103b", true},
                                           StructCase{"WrongChecksum", "2C00FF103C", false},
                                           StructCase{"TooShort", "2C00FF3B", false},
                                           StructCase{"TooLong", "2C00FF10003B", false},
                                           StructCase{"NotHex", "2C00FG103B", false},
                                           StructCase{"Quoted", "\"2C00FF103B\"", false}),
                         [](const auto& info) { return info.param.name; });

struct EncodingCase {
  const char* name;
  std::string bytes;
  friend void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }
};

class ProfileEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ProfileEncoding, JapaneseKeysReadBackFromEveryMarkedEncoding) {
  TempDir dir;
  Profile file(dir.Write("status.ini", GetParam().bytes));
  EXPECT_EQ(file.GetInt("setting", "音声のみ", 0), 1);
  EXPECT_EQ(file.GetInt("setting", "音声のみ抽出", 1), 0);
  // A write keeps the other key apart from the new one, whatever the file's encoding.
  ASSERT_TRUE(file.WriteString("setting", "キーフレームで全分割", "1"));
  EXPECT_EQ(file.GetInt("setting", "音声のみ", 0), 1);
  EXPECT_EQ(file.GetInt("setting", "キーフレームで全分割", 0), 1);
}

std::string Utf16BigEndian(std::string_view utf8) {
  std::string bytes = "\xFE\xFF";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return bytes;
}

constexpr std::string_view kJapaneseKeys = "[setting]\r\n音声のみ=1\r\n音声のみ抽出=0\r\n";

INSTANTIATE_TEST_SUITE_P(Profile, ProfileEncoding,
                         ::testing::Values(EncodingCase{"Utf16LittleEndian", Utf16File(kJapaneseKeys)},
                                           EncodingCase{"Utf16BigEndian", Utf16BigEndian(kJapaneseKeys)},
                                           EncodingCase{"Utf8WithMark", "\xEF\xBB\xBF" + std::string(kJapaneseKeys)}),
                         [](const auto& info) { return info.param.name; });

TEST(Profile, WritesReplaceInPlaceAppendToTheSectionAndAddMissingSections) {
  TempDir dir;
  Profile file(dir.Write("status.ini", "; kept\r\n\r\n[setting]\r\n-Y=1\r\nlone line\r\n[later]\r\nx=1\r\n"));
  ASSERT_TRUE(file.WriteString("Setting", "-y", "0"));
  ASSERT_TRUE(file.WriteString("setting", "lone line", "now a value"));
  ASSERT_TRUE(file.WriteString("setting", "-n", "1"));
  ASSERT_TRUE(file.WriteString("new", "z", "2"));
  // The file was ASCII without a mark: the platform keeps that encoding, this build's own
  // writer turns it into UTF-16LE. The text is the same either way.
  std::string bytes = FileBytes(file.path());
  const std::string expected =
      "; kept\r\n[setting]\r\n-Y=0\r\nlone line=now a value\r\n-n=1\r\n[later]\r\nx=1\r\n[new]\r\nz=2\r\n";
  EXPECT_TRUE(bytes == expected || bytes == Utf16File(expected)) << bytes;
}

TEST(Profile, AWriteThatChangesNothingLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string edited = Utf16File("[setting]\r\n\r\n-y = 1 \r\n\r\n");
  Profile file(dir.Write("status.ini", edited));
  ASSERT_TRUE(file.WriteString("setting", "-y", "1"));
  EXPECT_EQ(FileBytes(file.path()), edited);
}

TEST(Profile, AnEmptyFileIsWrittenAsUnicode) {
  TempDir dir;
  Profile file(dir.Write("status.ini", ""));
  ASSERT_TRUE(file.WriteString("setting", "音声のみ", "1"));
  EXPECT_EQ(FileBytes(file.path()), Utf16File("[setting]\r\n音声のみ=1\r\n"));
}

}  // namespace
}  // namespace clipwright::platform

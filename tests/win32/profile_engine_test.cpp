// The portable profile reader and writer held against the platform's own functions: for the same
// file and the same writes, the same bytes, and for the same questions, the same answers.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_format.h"
#include "platform/text.h"
#include "support/fixture.h"
#include "support/temp_dir.h"

namespace clipwright::platform {
namespace {

using clipwright::testing::TempDir;
using clipwright::testing::Utf16File;

// Hand-made files: comments, blank lines, blanks around names and values, lines without "=",
// lines with only "=value", duplicate sections and keys, lone CR line ends, an empty section, a
// nameless one, quotes, Japanese names and a last line without its line end.
const std::vector<std::string>& StartingFiles() {
  static const std::vector<std::string> files = {
      "",
      "; comment\r\n\r\n\r\n[setting]\r\n  FFmpeg Path  =  \"C:\\a b\\ffmpeg.exe\"  \r\nloose words\r\n",
      "[ setting ]\r\n-y=1\r\n[SETTING]\r\n-y=0\r\n-n=1\r\n-Y=5\r\n",
      "top=1\r\n[a]\rk1=1\rk2=2\n[b]\n\n=only value\r\n=another\r\n[]\r\nnameless=1\r\n[empty]\r\n",
      "[setting]\r\n音声のみ=1\r\n音声のみ抽出=0\r\nquoted='x'\r\nhalf=\"x\r\n\t\v\f\x1a\r\n[last]\r\nk=v",
      "[setting]\r\nWindowPlacement=2C00FF103B\r\nlower=2c00ff103b\r\nbad=2C00FF103C\r\n",
  };
  return files;
}

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

const std::vector<Write>& Writes() {
  static const std::vector<Write> writes = {
      {"setting", "-y", "1"},
      {"Setting", "-Y", "0"},
      {"setting", "FFmpeg Path", "C:\\ツール\\ffmpeg.exe"},
      {"setting", "loose words", "now a value"},
      {"setting", "一時ファイルを作成する", "1"},
      {"setting", "音声のみ", "1"},
      {"  setting  ", "  -n  ", "  spaced  "},
      {"new", "k", ""},
      {"NEW", "k", "x"},
      {"empty", "k", "1"},
      {"", "nameless", "2"},
      {"a", "k2", "\"quoted\""},
      {"setting", "-y", "1"},
      {"b", "", "empty key"},
  };
  return writes;
}

TEST(ProfileEngine, WritesTheBytesOfThePlatform) {
  TempDir dir;
  for (std::size_t f = 0; f < StartingFiles().size(); ++f) {
    const std::string start = Utf16File(StartingFiles()[f]);
    Profile file(dir.Write("file" + std::to_string(f) + ".ini", start));
    std::string expected = start;
    for (const Write& write : Writes()) {
      ASSERT_TRUE(file.WriteString(write.section, write.key, write.value));
      ini::Document document = ini::Parse(ini::DecodeFileText(expected));
      if (ini::Set(document, Utf8ToUtf16(write.section), Utf8ToUtf16(write.key), Utf8ToUtf16(write.value))) {
        expected = ini::Serialize(document);
      }
      std::string bytes;
      ASSERT_TRUE(ReadWholeFile(file.path(), &bytes));
      ASSERT_EQ(bytes, expected) << "file " << f << " after [" << write.section << "] " << write.key;
    }
  }
}

TEST(ProfileEngine, StructsAreWrittenAsThePlatformWritesThem) {
  TempDir dir;
  Profile file(dir.File("struct.ini"));
  std::array<std::uint8_t, 44> data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 11);
  ASSERT_TRUE(file.WriteStruct("setting", "WindowPlacement", data.data(), data.size()));
  ASSERT_TRUE(file.WriteStruct("setting", "empty", data.data(), 0));
  ini::Document document;
  ini::Set(document, u"setting", u"WindowPlacement", ini::FormatStruct(data.data(), data.size()));
  ini::Set(document, u"setting", u"empty", ini::FormatStruct(data.data(), 0));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file.path(), &bytes));
  EXPECT_EQ(bytes, ini::Serialize(document));
}

struct Question {
  const char* section;
  const char* key;
  const char* fallback;
  std::size_t capacity;
};

TEST(ProfileEngine, AnswersAsThePlatformAnswers) {
  const std::vector<Question> questions = {
      {"setting", "ffmpeg path", "", 260}, {"setting", "FFmpeg Path", "", 6},   {"setting", "FFmpeg Path", "", 1},
      {"setting", "loose words", "fb  ", 260}, {"setting", "-y", "", 260},     {"setting", "-n", "9", 260},
      {" setting ", " -y ", "", 260},          {"a", "k1", "", 260},            {"a", "k2", "", 260},
      {"b", "", "none", 260},                  {"", "top", "", 260},            {"", "nameless", "", 260},
      {"setting", "quoted", "", 260},          {"setting", "half", "", 260},    {"setting", "音声のみ", "", 260},
      {"last", "k", "", 260},                  {"missing", "k", "  ", 260},     {"missing", "k", "'quoted'", 260},
      {"missing", "k", "abcdef", 4},           {"setting", "WindowPlacement", "", 260},
  };
  TempDir dir;
  for (std::size_t f = 0; f < StartingFiles().size(); ++f) {
    const std::string bytes = Utf16File(StartingFiles()[f]);
    const Profile file(dir.Write("file" + std::to_string(f) + ".ini", bytes));
    const ini::Document document = ini::Parse(ini::DecodeFileText(bytes));
    for (const Question& q : questions) {
      const std::u16string section = Utf8ToUtf16(q.section);
      const std::u16string key = Utf8ToUtf16(q.key);
      EXPECT_EQ(file.GetString(q.section, q.key, q.fallback, q.capacity),
                Utf16ToUtf8(ini::ReadString(document, section, key, Utf8ToUtf16(q.fallback), q.capacity)))
          << "file " << f << " [" << q.section << "] " << q.key << " capacity " << q.capacity;
      EXPECT_EQ(file.GetInt(q.section, q.key, -7), ini::ReadInt(document, section, key, -7))
          << "file " << f << " [" << q.section << "] " << q.key;
      for (std::size_t size : {0u, 4u, 5u}) {
        std::array<std::uint8_t, 5> platform{}, engine{};
        EXPECT_EQ(file.GetStruct(q.section, q.key, platform.data(), size),
                  ini::ReadStruct(document, section, key, engine.data(), size))
            << "file " << f << " [" << q.section << "] " << q.key << " size " << size;
        EXPECT_EQ(platform, engine);
      }
    }
  }
}

}  // namespace
}  // namespace clipwright::platform

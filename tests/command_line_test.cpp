#include "tools/command_line.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/text.h"
#include "support/media.h"

namespace clipwright {
namespace {

struct ArgumentCase {
  const char* name;
  std::string argument;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class CommandLineArgumentTest : public ::testing::TestWithParam<ArgumentCase> {};

// Whatever an argument holds, the tool receives it as it was given, quoted or not.
TEST_P(CommandLineArgumentTest, ComesBackWhenTheLineIsSplit) {
  const std::string& argument = GetParam().argument;
  CommandLine line("C:\\Program Files\\ffmpeg\\ffmpeg.exe");
  line.Add("-i").Add(argument).AddQuoted(argument).Add(argument).Add("-y");
  const std::vector<std::string> expected{"C:\\Program Files\\ffmpeg\\ffmpeg.exe", "-i", argument, argument,
                                          argument, "-y"};
  EXPECT_EQ(line.Arguments(), expected);
  EXPECT_EQ(platform::SplitCommandLine(line.Text()), expected) << line.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineArgumentTest,
    ::testing::Values(ArgumentCase{"Plain", "-c:v"}, ArgumentCase{"Empty", ""}, ArgumentCase{"Blanks", "a b  c "},
                      ArgumentCase{"Tab", "a\tb"}, ArgumentCase{"Quote", "say \"hi\""},
                      ArgumentCase{"QuoteAlone", "\""}, ArgumentCase{"TwoQuotes", "\"\""},
                      ArgumentCase{"TrailingBackslashes", "a b\\\\"},
                      ArgumentCase{"BackslashesBeforeAQuote", "a\\\\\\\"b c"},
                      ArgumentCase{"BackslashesElsewhere", "\\\\server\\share\\x.mp4"},
                      ArgumentCase{"PathEndingInABackslash", "C:\\動画 フォルダ\\"},
                      ArgumentCase{"Japanese", "C:\\動画\\字幕 「一」.mkv"},
                      ArgumentCase{"FilterWithCommas", "select=not(mod(n\\,3)),scale=-1:207"}),
    [](const auto& info) { return std::string(info.param.name); });

// A real child process splits the line as SplitCommandLine does (under Windows: its C runtime,
// whose ANSI arguments would not show Japanese as it is).
TEST(CommandLine, ATestToolReceivesEveryArgument) {
  CommandLine line(testing::TestToolPath("print_args"));
  std::string expected;
  for (const std::string& argument : {std::string("a b"), std::string("x\\\\"), std::string("q\"q"),
                                      std::string(), std::string("C:\\dir\\")}) {
    line.Add(argument).AddQuoted(argument);
    expected += "[" + argument + "]\n[" + argument + "]\n";
  }
  const auto output = testing::RunCommand(line.Text());
  ASSERT_TRUE(output);
  std::string got = *output;
  std::erase(got, '\r');
  EXPECT_EQ(got, expected) << line.Text();
}

TEST(CommandLine, QuotesOnlyWhereItMustAndKeepsAWindowsPathAsItIs) {
  CommandLine line("ffmpeg");
  line.Add("-ss").Add("1.500000").AddQuoted("C:\\Users\\me\\Videos\\a b.mp4").AddQuoted("C:\\out").Add("x y");
  EXPECT_EQ(line.Text(), "\"ffmpeg\" -ss 1.500000 \"C:\\Users\\me\\Videos\\a b.mp4\" \"C:\\out\" \"x y\"");
}

TEST(CommandLine, AddWordsTakesEachBlankSeparatedWord) {
  CommandLine line("ffmpeg");
  line.AddWords(" -map_metadata  -1 -c copy ");
  EXPECT_EQ(line.Arguments(), (std::vector<std::string>{"ffmpeg", "-map_metadata", "-1", "-c", "copy"}));
  EXPECT_EQ(line.Text(), "\"ffmpeg\" -map_metadata -1 -c copy");
}

// The limit counts UTF-16 units of the text, and 2 more.
TEST(CommandLine, LengthCountIsUtf16UnitsAndTwo) {
  CommandLine line("f");  // "f" in quotes: 3
  EXPECT_EQ(line.LengthCount(), 5);
  line.Add("動画");        // a blank and two units
  EXPECT_EQ(line.LengthCount(), 8);
  line.Add("\xF0\x9F\x8E\xAC");  // outside the BMP: two units
  EXPECT_EQ(line.LengthCount(), 11);
  EXPECT_EQ(line.LengthCount(), static_cast<int>(platform::Utf16Length(line.Text())) + 2);

  CommandLine longest("f");
  longest.Add(std::string(COMMAND_LIMIT - 2 - 4, 'a'));
  EXPECT_EQ(longest.LengthCount(), COMMAND_LIMIT);
  EXPECT_TRUE(longest.FitsLimit());
  longest.Add("");  // three more: a blank and a pair of quotes
  EXPECT_FALSE(longest.FitsLimit());
}

}  // namespace
}  // namespace clipwright

#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace clipwright::platform {
namespace {

using testing::Quoted;
using testing::RunCommand;
using testing::TestToolPath;

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, FollowsTheMicrosoftRuntime) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"  \t ", {}},
        SplitCase{"prog a  b\tc", {"prog", "a", "b", "c"}},
        // The program name: quotes group, backslashes stand as they are.
        SplitCase{R"("C:\Program Files\ffmpeg.exe" -i x)", {R"(C:\Program Files\ffmpeg.exe)", "-i", "x"}},
        SplitCase{R"("C:\dir\" next)", {R"(C:\dir\)", "next"}},
        SplitCase{R"(C:\a"b c"d e)", {R"(C:\ab cd)", "e"}},
        // Backslashes count only before a quote.
        SplitCase{R"(p a\b a\\b)", {"p", R"(a\b)", R"(a\\b)"}},
        SplitCase{R"(p a\"b)", {"p", R"(a"b)"}},           // 2n+1: n and a literal quote
        SplitCase{R"(p a\\"b c")", {"p", R"(a\b c)"}},      // 2n: n, and the quote groups
        SplitCase{R"(p a\\\"b)", {"p", R"(a\"b)"}},
        SplitCase{R"(p "C:\dir\\" x)", {"p", R"(C:\dir\)", "x"}},  // a folder's trailing backslash
        SplitCase{R"(p "C:\dir\" x)", {"p", R"(C:\dir" x)"}},      // the classic slip: the quote is literal
        // Quotes group blanks, "" inside quotes is one quote, an empty pair is an empty argument.
        SplitCase{R"(p "a b" "")", {"p", "a b", ""}},
        SplitCase{R"(p "a ""quoted"" b")", {"p", R"(a "quoted" b)"}},
        SplitCase{R"(p a"b c"d)", {"p", "ab cd"}},
        SplitCase{R"(p "unterminated arg)", {"p", "unterminated arg"}},
        SplitCase{R"(p -vf "select=key,scale=-1:207" "out %10d.bmp")",
                  {"p", "-vf", "select=key,scale=-1:207", "out %10d.bmp"}}));

// The same command string reaches the program with the same arguments on both systems: here the
// Windows side is split by the C runtime itself, the POSIX side by SplitCommandLine.
TEST(ChildProcess, ArgumentsArriveAsSplit) {
  const std::string tail = R"(plain "two words" "C:\dir\\" a\"b "x ""y"" z")";
  const auto output = RunCommand(Quoted(TestToolPath("print_args")) + " " + tail);
  ASSERT_TRUE(output);
  std::string expected;
  for (const std::string& argument : SplitCommandLine("p " + tail)) {
    if (argument != "p") expected += "[" + argument + "]\n";
  }
  std::string got = *output;
  std::erase(got, '\r');
  EXPECT_EQ(got, expected);
}

TEST(ChildProcess, ProgramThatCannotStartGivesNull) {
  testing::TempDir dir;
  EXPECT_EQ(ChildProcess::Start(Quoted(dir.File("missing-tool")) + " -i x"), nullptr);
  EXPECT_EQ(ChildProcess::Start(""), nullptr);
  // Something that exists but is no program.
  const std::string text = dir.Write("notes.txt", "not a program");
  EXPECT_EQ(ChildProcess::Start(Quoted(text)), nullptr);
}

// A tool started in a folder finds the files there by their bare names, whatever the folder is
// called; a folder that does not exist is a start that fails.
TEST(ChildProcess, StartsInItsWorkingFolder) {
  testing::TempDir dir;
  const std::string tool = Quoted(TestToolPath("ignore_quit")) + " made.txt 0";
  for (const char* name : {"plain", "音量 フォルダ"}) {
    const std::string folder = dir.File(name);
    ASSERT_TRUE(std::filesystem::create_directory(testing::FsPath(folder)));
    auto child = ChildProcess::Start(tool, folder);
    ASSERT_NE(child, nullptr) << name;
    ASSERT_TRUE(child->WaitForExit(10000));
    EXPECT_TRUE(PathExists(folder + PathSeparator() + "made.txt")) << name;
  }
  EXPECT_EQ(ChildProcess::Start(tool, dir.File("missing")), nullptr);
}

TEST(ChildProcess, MergesBothStreamsIntoOne) {
  const auto output = RunCommand(Quoted(TestToolPath("emit")) + " out1 --stderr err --stdout out2");
  ASSERT_TRUE(output);
  EXPECT_EQ(*output, "out1errout2");
}

TEST(ChildProcess, InputReachesTheChild) {
  testing::TempDir dir;
  const std::string record = dir.File("input.txt");
  auto child = ChildProcess::Start(Quoted(TestToolPath("ignore_quit")) + " " + Quoted(record) + " 3000");
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(child->WriteInput("qq"));
  std::string got;
  for (int i = 0; i < 100 && got.size() < 2; ++i) {
    child->WaitForExit(30);
    ReadWholeFile(record, &got);
  }
  EXPECT_EQ(got, "qq");
  EXPECT_FALSE(child->HasExited());
  child->Terminate();
  EXPECT_TRUE(child->HasExited());
}

// A silent child must leave the waiter asleep: a few wake-ups per time-out, not a spin.
TEST(ChildProcess, WaitingForASilentChildBlocks) {
  testing::TempDir dir;
  auto child = ChildProcess::Start(Quoted(TestToolPath("emit")) + " --sleep=2000 late");
  ASSERT_NE(child, nullptr);
  const auto start = std::chrono::steady_clock::now();
  int wakeups = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(500)) {
    child->WaitForOutputOrExit(50);
    ++wakeups;
  }
  EXPECT_LE(wakeups, 14);
  EXPECT_EQ(child->Available(), 0u);
  EXPECT_FALSE(child->HasExited());
  // An exit or output wakes it long before a long time-out.
  const auto before = std::chrono::steady_clock::now();
  child->WaitForOutputOrExit(10000);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  child->WaitForExit(5000);
  std::string rest;
  for (std::string more; !(more = child->ReadAvailable(1024)).empty();) rest += more;
  EXPECT_EQ(rest, "late");
}

TEST(ChildProcess, OutputEndsWithTheChild) {
  auto child = ChildProcess::Start(Quoted(TestToolPath("emit")) + " --repeat=3 abc");
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(child->WaitForExit(10000));
  // The end can follow the exit a little later (the system closes the child's handles after
  // it has ended), and waiting returns at once for a child that has exited.
  std::string got;
  for (int i = 0; i < 300 && !child->OutputEnded(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    got += child->ReadAvailable(2);  // small reads leave the rest waiting
  }
  EXPECT_EQ(got, "abcabcabc");
  EXPECT_TRUE(child->OutputEnded());
  EXPECT_EQ(child->ReadAvailable(16), "");
}

}  // namespace
}  // namespace clipwright::platform

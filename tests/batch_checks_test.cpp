#include "jobs/batch_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/job_plans.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

// Stream lines as FFmpeg prints them.
constexpr const char* kVideo =
    "Stream #0:0(und): Video: h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709, progressive), 640x360 "
    "[SAR 1:1 DAR 16:9], 1000 kb/s, 25 fps, 25 tbr, 12800 tbn (default)";
constexpr const char* kAudio = "Stream #0:1(und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp, 128 kb/s (default)";

std::string Replaced(std::string line, const std::string& from, const std::string& to) {
  return line.replace(line.find(from), from.size(), to);
}

InputFile File(const std::string& path, std::vector<std::string> lines) {
  InputFile file;
  file.path = path;
  for (std::size_t i = 0; i < lines.size(); ++i) file.streams.push_back({static_cast<int>(i), lines[i]});
  return file;
}

struct JoinCase {
  const char* name;
  std::vector<std::string> second;  // the second file's stream lines; the first has kVideo, kAudio
  std::string difference;           // empty: none
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class JoinCheckTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinCheckTest, NamesTheFirstDifference) {
  const JoinCase& c = GetParam();
  const auto mismatches = CompareForJoin({File("C:\\v\\a.mp4", {kVideo, kAudio}), File("C:\\v\\b.mp4", c.second)});
  if (c.difference.empty()) {
    EXPECT_TRUE(mismatches.empty());
  } else {
    ASSERT_EQ(mismatches.size(), 1u);
    EXPECT_EQ(mismatches[0].position, 2);
    EXPECT_EQ(mismatches[0].difference, c.difference);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, JoinCheckTest,
    ::testing::Values(
        // Bit rate, colour details and the title are no reason to refuse a join.
        JoinCase{"Alike", {Replaced(Replaced(kVideo, "1000 kb/s", "900 kb/s"), "(tv, bt709, progressive)", "(progressive)"), kAudio}, ""},
        JoinCase{"Size", {Replaced(kVideo, "640x360", "1280x720"), kAudio}, "映像 1280x720（1 本目は 640x360）"},
        JoinCase{"Codec", {Replaced(kVideo, "h264 (High)", "hevc (Main)"), kAudio}, "映像 hevc（1 本目は h264）"},
        JoinCase{"PixelFormat", {Replaced(kVideo, "yuv420p(tv", "yuv444p(tv"), kAudio}, "映像 yuv444p（1 本目は yuv420p）"},
        JoinCase{"FrameRate", {Replaced(kVideo, "25 fps", "29.97 fps"), kAudio}, "映像 29.97 fps（1 本目は 25 fps）"},
        JoinCase{"SampleRate", {kVideo, Replaced(kAudio, "44100 Hz", "48000 Hz")}, "音声 48000 Hz（1 本目は 44100 Hz）"},
        JoinCase{"Layout", {kVideo, Replaced(kAudio, "stereo", "mono")}, "音声 mono（1 本目は stereo）"},
        JoinCase{"Count", {kVideo}, "ストリーム数 1（1 本目は 2）"},
        JoinCase{"KindInOrder", {kAudio, kVideo}, "ストリーム 1 音声（1 本目は 映像）"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinQuestion, ListsTenFilesAndCountsTheRest) {
  std::vector<InputFile> files{File("C:\\v\\a.mp4", {kVideo})};
  for (int i = 2; i <= 13; ++i) files.push_back(File("C:\\v\\夏休み_" + std::to_string(i) + ".mp4", {kAudio}));
  const std::string text = JoinQuestion(CompareForJoin(files));
  EXPECT_NE(text.find("\r\n2: 夏休み_2.mp4 — ストリーム 1 音声（1 本目は 映像）\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("11: 夏休み_11.mp4"), std::string::npos);
  EXPECT_EQ(text.find("12: "), std::string::npos);
  EXPECT_NE(text.find("ほか 2 ファイル"), std::string::npos);
}

// A command too long is found before the run, and only its file is set aside: an input path of 250
// characters and its output make it longer than the limit, wherever the test folder is.
TEST(BatchCheck, FindsACommandTooLongBeforeTheRun) {
  testing::TempDir dir;
  RunSettings settings;
  settings.ffmpeg = "ffmpeg";
  ConvertRequest request;
  request.container = "mp4";
  for (const std::string& name : {std::string("fine.mp4"), std::string(246 - dir.path().size(), 'a') + ".mp4"}) {
    request.files.push_back(InputFile{dir.Write(name, "x"), {{0, kVideo}}});
  }
  RunPlan plan = PlanConvert(request, settings);
  const std::vector<FileProblem> problems = CheckBatch(plan, settings);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].position, 2);
  EXPECT_EQ(problems[0].difference.rfind("コマンドが長すぎます（", 0), 0u) << problems[0].difference;
  SetAside(&plan, problems);
  EXPECT_FALSE(plan.files[0].refused);
  ASSERT_TRUE(plan.files[1].refused);
  EXPECT_EQ(plan.files[1].refused->text, problems[0].difference);
}

}  // namespace
}  // namespace clipwright

// The main window's requests, through FakeRequests, which answers with the same functions.
#include "ui/tool_requests.h"
#include "settings/run_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/text.h"
#include "win32/fake_dialog.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeRequests;
using testing::TempDir;

struct FfmpegCase {
  const char* name;
  bool use_alternative;
  bool main_exists;
  bool alternative_exists;  // false: the text is empty
  bool expected;
  friend void PrintTo(const FfmpegCase& c, std::ostream* os) { *os << c.name; }
};

class FfmpegRequest : public ::testing::TestWithParam<FfmpegCase> {};

TEST_P(FfmpegRequest, TheConvertPageChoosesThePathAndAFailureIsShownEachTime) {
  const FfmpegCase& c = GetParam();
  TempDir dir;
  FakeRequests requests;
  const std::string main_path = c.main_exists ? dir.Write("ffmpeg.exe", "MZ") : dir.File("ffmpeg.exe");
  const std::string alternative = c.alternative_exists ? dir.Write("別ffmpeg.exe", "MZ") : "";
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, main_path);
  requests.page(PAGE_SETTINGS).SetText(IDC_ALT_FFMPEG_PATH, alternative);
  requests.page(PAGE_CONVERT).SetChecked(IDC_CONVERT_ALT_FFMPEG, c.use_alternative);

  for (int attempt = 1; attempt <= 2; ++attempt) {
    std::string path = "unset";
    EXPECT_EQ(requests.FfmpegPath(&path), c.expected);
    EXPECT_EQ(path, c.use_alternative ? alternative : main_path) << "the path is written in every case";
    const auto boxes = requests.main_window().MessageBoxes();
    ASSERT_EQ(boxes.size(), c.expected ? 0u : static_cast<std::size_t>(attempt));
    if (!c.expected) {
      EXPECT_EQ(boxes.back().text, "ffmpeg.exeがありません。");
      EXPECT_EQ(boxes.back().caption, "FFmpegエラー");
      EXPECT_EQ(boxes.back().buttons, kMessageOk);
    }
  }
  for (int page = 0; page < PAGE_COUNT; ++page) EXPECT_TRUE(requests.page(page).MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FfmpegRequest,
    ::testing::Values(FfmpegCase{"MainPath", false, true, false, true},
                      FfmpegCase{"MainPathMissing", false, false, true, false},
                      FfmpegCase{"EmptyAlternativeFailsDespiteAValidMainPath", true, true, false, false},
                      FfmpegCase{"Alternative", true, false, true, true},
                      FfmpegCase{"AlternativeBesideAValidMainPath", true, true, true, true}),
    [](const auto& info) { return info.param.name; });

// A batch file would run under cmd.exe, which expands %…% in the file names of its command: only
// a program is taken, whatever its case.
TEST(Requests, ABatchFileIsNoTool) {
  TempDir dir;
  FakeRequests requests;
  for (const char* name : {"ffmpeg.bat", "ffmpeg.CMD", "ffmpeg"}) {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, dir.Write(name, "@echo off"));
    std::string path;
    EXPECT_FALSE(requests.FfmpegPath(&path)) << name;
    EXPECT_EQ(requests.main_window().MessageBoxes().back().text, "ffmpeg.exeの場所には.exeのファイルを指定して下さい。");
  }
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, dir.Write("FFMPEG.EXE", "MZ"));
  std::string path;
  EXPECT_TRUE(requests.FfmpegPath(&path));
}

TEST(Requests, NothingIsCached) {
  TempDir dir;
  FakeRequests requests;
  Dialog& settings = requests.page(PAGE_SETTINGS);
  const std::string first = dir.Write("first.exe", "MZ");
  const std::string second = dir.Write("second.exe", "MZ");
  std::string path;

  settings.SetText(IDC_FFMPEG_PATH, first);
  ASSERT_TRUE(requests.FfmpegPath(&path));
  EXPECT_EQ(path, first);
  settings.SetText(IDC_FFMPEG_PATH, second);
  ASSERT_TRUE(requests.FfmpegPath(&path));
  EXPECT_EQ(path, second);
  requests.page(PAGE_CONVERT).SetChecked(IDC_CONVERT_ALT_FFMPEG, true);
  EXPECT_FALSE(requests.FfmpegPath(&path));
  EXPECT_EQ(path, "");
  settings.SetText(IDC_ALT_FFMPEG_PATH, first);
  ASSERT_TRUE(requests.FfmpegPath(&path));
  EXPECT_EQ(path, first);
  EXPECT_EQ(requests.main_window().MessageBoxes().size(), 1u);
}

// Whether the .exe is a program at all is for the run to find out.
TEST(Requests, AacgainAcceptsAnyExeThatOpensAndNeverTheAlternativeFfmpeg) {
  TempDir dir;
  FakeRequests requests;
  const std::string text_file = dir.Write("notes.exe", "not a program");
  requests.page(PAGE_SETTINGS).SetText(IDC_AACGAIN_PATH, text_file);
  requests.page(PAGE_SETTINGS).SetText(IDC_ALT_FFMPEG_PATH, dir.File("missing.exe"));
  requests.page(PAGE_CONVERT).SetChecked(IDC_CONVERT_ALT_FFMPEG, true);
  std::string path;
  ASSERT_TRUE(requests.AacgainPath(&path));
  EXPECT_EQ(path, text_file);

  requests.page(PAGE_SETTINGS).SetText(IDC_AACGAIN_PATH, dir.File("aacgain.exe"));
  EXPECT_FALSE(requests.AacgainPath(&path));
  EXPECT_EQ(path, dir.File("aacgain.exe"));
  const auto boxes = requests.main_window().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "aacgain.exe is not found.");
  EXPECT_EQ(boxes[0].caption, "aacgain error");
  EXPECT_EQ(boxes[0].buttons, kMessageOk);
}

TEST(Requests, PagesByTheLow16BitsOfTheIndex) {
  FakeRequests requests;
  for (int index = 0; index < PAGE_COUNT; ++index) EXPECT_EQ(requests.Page(index), &requests.page(index)) << index;
  EXPECT_EQ(requests.Page(0x10001), &requests.page(1));
  for (int index : {7, 8, 0xFFFF, 0x10007, -1}) EXPECT_EQ(requests.Page(index), nullptr) << index;
  EXPECT_EQ(RequestedPageIndex(std::uintptr_t{0xABCD0006}), PAGE_VOLUME);
  EXPECT_EQ(RequestedPageIndex(std::uintptr_t{7}), -1);
}

struct FitCase {
  const char* name;
  std::string text;
  std::size_t units;  // of the fitted text
  friend void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }
};

std::string Repeat(std::string_view piece, int count, std::string text = "") {
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

class FitToPath : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitToPath, HoldsAtMost259UnitsAndWholeCharacters) {
  const std::string fitted = FitToPathBuffer(GetParam().text);
  EXPECT_EQ(platform::Utf16Length(fitted), GetParam().units);
  EXPECT_TRUE(platform::IsValidUtf8(fitted));
  EXPECT_EQ(GetParam().text.compare(0, fitted.size(), fitted), 0) << "a prefix of the text";
}

INSTANTIATE_TEST_SUITE_P(Requests, FitToPath,
                         ::testing::Values(FitCase{"Short", "C:\\ffmpeg.exe", 13},
                                           FitCase{"Exactly259", std::string(259, 'a'), 259},
                                           FitCase{"Ascii", std::string(300, 'a'), 259},
                                           FitCase{"Japanese", Repeat("動", 300), 259},
                                           FitCase{"PairsAfterOneUnit", Repeat("😀", 200, "a"), 259},
                                           FitCase{"PairCutAtTheEdge", Repeat("😀", 200), 258}),
                         [](const auto& info) { return info.param.name; });

TEST(Requests, APathTooLongForTheCallersBufferIsMissingAndComesBackCut) {
  TempDir dir;
  FakeRequests requests;
  // The cut text names a file that exists; the request must still not hand it over as found.
  const std::string cut = dir.path() + std::string(PATH_CAPACITY - 1 - dir.path().size(), 'f');
  ASSERT_EQ(cut.size(), 259u);
  dir.Write(cut.substr(dir.path().size()), "MZ");
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, cut + "fmpeg.exe");
  std::string path;
  EXPECT_FALSE(requests.FfmpegPath(&path));
  EXPECT_EQ(path, cut);
  EXPECT_EQ(requests.main_window().MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace clipwright

// The progress dialog's texts: what each kind of run shows for a stage and at the end of a file,
// the predicted time and the elapsed time.
#include "ui/progress_texts.h"

#include <gtest/gtest.h>

#include "jobs/output_check.h"

namespace clipwright {
namespace {

struct TitleCase {
  RunKind kind;
  std::uint32_t elapsed_ms;
  const char* title;
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << static_cast<int>(c.kind) << " " << c.elapsed_ms << " ms"; }

class ElapsedTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ElapsedTitleTest, ShowsWholeSecondsAsHoursMinutesSeconds) {
  EXPECT_EQ(ElapsedTitle(GetParam().kind, GetParam().elapsed_ms), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ElapsedTitleTest,
    ::testing::Values(TitleCase{RunKind::kConvert, 0, "FFmpeg ［経過時間 00:00:00］"},
                      TitleCase{RunKind::kSplit, 999, "FFmpeg ［経過時間 00:00:00］"},
                      TitleCase{RunKind::kConcatenate, (65 * 60 + 7) * 1000, "FFmpeg ［経過時間 01:05:07］"},
                      TitleCase{RunKind::kAnalysis, 59'999, "FFmpeg ［経過時間 00:00:59］"},
                      TitleCase{RunKind::kVolume, (65 * 60 + 7) * 1000, "AACGain [経過時間 01:05:07]"},
                      // More than 99 hours print with more digits; the tick difference wraps at 2^32 ms.
                      TitleCase{RunKind::kConvert, 100u * 3'600'000u + 1000, "FFmpeg ［経過時間 100:00:01］"},
                      TitleCase{RunKind::kVolume, 0xFFFFFFFFu, "AACGain [経過時間 1193:02:47]"}));

struct StageCase {
  const char* name;
  RunKind kind;
  StageEvent event;
  ProgressLine line;
  const char* text;
};

void PrintTo(const StageCase& c, std::ostream* out) { *out << c.name; }

class StageTextTest : public ::testing::TestWithParam<StageCase> {};

// The rows where a stage's text depends on the run's kind or fills in what the stage names.
TEST_P(StageTextTest, ShowsTheRunsOwnWords) {
  const std::optional<ProgressText> shown = StageText(GetParam().kind, GetParam().event);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->line, GetParam().line);
  EXPECT_EQ(shown->text, GetParam().text);
}

StageEvent Numbered(Stage stage, std::int64_t number, std::int64_t first = 0, std::int64_t second = 0) {
  return StageEvent{stage, {}, number, first, second};
}

INSTANTIATE_TEST_SUITE_P(
    Stages, StageTextTest,
    ::testing::Values(
        StageCase{"ConcatenateHasNothing", RunKind::kConcatenate, {Stage::kNothingToDo}, ProgressLine::kProcess,
                  "連結すべきファイルがありません。"},
        StageCase{"VolumeHasNothing", RunKind::kVolume, {Stage::kNothingToDo}, ProgressLine::kProcess,
                  "処理すべきファイルがありません。"},
        StageCase{"SeparateRuns", RunKind::kSeparate, {Stage::kRunning}, ProgressLine::kProcess,
                  "ファイルを分離中です．．．"},
        StageCase{"APiece", RunKind::kSplitAtKeyframes, Numbered(Stage::kRunningPiece, 0, 250, 500),
                  ProgressLine::kProcess, "ファイルを分割中です．．．［ 250 - 500 ］"},
        StageCase{"AJobCommandTooLong", RunKind::kConvert, {Stage::kCommandRefused, "\"ffmpeg\" …", 510},
                  ProgressLine::kProcess, "コマンドの作成に失敗しました。"},
        StageCase{"APieceCommandTooLong", RunKind::kSplitAtKeyframes, {Stage::kCommandRefused, "\"ffmpeg\" …", 510},
                  ProgressLine::kProcess, "コマンドラインが長くなり過ぎです。 [ 510 byte ] ファイル名を短くして下さい。"},
        StageCase{"TheGain", RunKind::kVolume, Numbered(Stage::kApplyingGain, -3), ProgressLine::kProcess,
                  "ファイルにMP3ゲイン[-3]を適用中です..."},
        StageCase{"AKeyframeNumber", RunKind::kAnalysis, Numbered(Stage::kKeyframeNumber, 250), ProgressLine::kProgress,
                  "キーフレーム番号: 250"},
        StageCase{"ACopyThatFailed", RunKind::kSplit, {Stage::kTempCopyFailed, "C:\\動画\\a.mp4"},
                  ProgressLine::kProcess, "一時ファイルを作成出来ませんでした： C:\\動画\\a.mp4"},
        StageCase{"AFileThatStays", RunKind::kVolume, {Stage::kRemoveFailed, "C:\\music\\temp0001.mp3"},
                  ProgressLine::kProcess, "一時ファイルの削除に失敗しました。 [temp0001.mp3]"},
        StageCase{"ACutWithOneFrameTooMany", RunKind::kSplitAtKeyframes,
                  Numbered(Stage::kCheckFailed, static_cast<int>(CheckFailure::kPacketCount), 60, 61),
                  ProgressLine::kProcess, "出力ファイルの検査に失敗しました：映像のフレームが 60 個のはずが 61 個です"},
        StageCase{"AnOutputWithoutStreams", RunKind::kSplitAtKeyframes,
                  Numbered(Stage::kCheckFailed, static_cast<int>(CheckFailure::kStreamCount), 2, 0),
                  ProgressLine::kProcess, "出力ファイルの検査に失敗しました：ストリームが 2 本のはずが 0 本です"},
        StageCase{"AnAudioCutTooShort", RunKind::kSplit,
                  Numbered(Stage::kCheckFailed, static_cast<int>(CheckFailure::kLength), 2500, 1974),
                  ProgressLine::kProcess, "出力ファイルの検査に失敗しました：再生時間が 2.500 秒のはずが 1.974 秒です"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EndCase {
  RunKind kind;
  FileOutcome outcome;
  std::vector<std::string> texts;
};

TEST(FileEndTexts, EachKindEndsAFileInItsOwnWords) {
  const EndCase cases[] = {
      {RunKind::kConvert, FileOutcome::kSucceeded, {"ファイルの変換に成功しました。"}},
      {RunKind::kMultiplex, FileOutcome::kFailed, {"ファイルの多重化に失敗しました。"}},
      // A file refused before or after its tool leaves its reason on show.
      {RunKind::kSplit, FileOutcome::kRefused, {}},
      {RunKind::kSplit, FileOutcome::kAborted, {"ファイルの分割を中断中です．．．", "ファイルの分割を中断しました。"}},
      {RunKind::kSplitAtKeyframes, FileOutcome::kAborted, {"ファイルの分割を中断中しました。"}},
      {RunKind::kSplitAtKeyframes, FileOutcome::kSucceeded, {"ファイルの分割に成功しました。"}},
      {RunKind::kVolume, FileOutcome::kRefused, {"ゲイン適用に失敗しました。"}},
      {RunKind::kVolume, FileOutcome::kAborted, {"ゲイン適用に失敗しました。"}},
      {RunKind::kVolume, FileOutcome::kSucceeded, {"ゲイン適用に成功しました。"}},
  };
  for (const EndCase& c : cases) {
    EXPECT_EQ(FileEndTexts(c.kind, c.outcome), c.texts) << static_cast<int>(c.kind) << " " << static_cast<int>(c.outcome);
  }
}

TEST(PredictionText, HoursMinutesAndSecondsWithTwoDecimals) {
  EXPECT_EQ(PredictionText(40), "ファイルを変換中です．．．[予測時間 00:00:40.00]");
  EXPECT_EQ(PredictionText(3725.5), "ファイルを変換中です．．．[予測時間 01:02:05.50]");
  EXPECT_EQ(PredictionText(0.004), "ファイルを変換中です．．．[予測時間 00:00:00.00]");
}

}  // namespace
}  // namespace clipwright

// Every text the progress dialog shows: what each kind of run calls its stages, the end of each
// file, the predicted time, the summary, and the elapsed time in the title.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/run_observer.h"

namespace clipwright {

// What runs under the progress dialog.
enum class RunKind {
  kAnalysis,  // files being added to a page; the worker ends the dialog itself
  kSplit,
  kSplitAtKeyframes,
  kConcatenate,
  kMultiplex,
  kSeparate,
  kConvert,
  kVolume,  // titled "AACGain"
};

// The two lines of the dialog's body: 9501 (処理内容) and 9502 (進捗状況).
enum class ProgressLine { kProcess, kProgress };

struct ProgressText {
  ProgressLine line = ProgressLine::kProcess;
  std::string text;
};

// What a stage shows in a run of `kind`; nothing for a stage the run does not report.
std::optional<ProgressText> StageText(RunKind kind, const StageEvent& event);

// The process line's texts, in order, when a file of a run of `kind` ends.
std::vector<std::string> FileEndTexts(RunKind kind, FileOutcome outcome);

// "ファイルを変換中です．．．[予測時間 hh:mm:ss.ss]".
std::string PredictionText(double seconds);

// "作成結果\r\n成功： n ファイル\r\n失敗： m ファイル".
std::string SummaryText(int successes, int failures);

// The files of the run that could not be removed, named for the user to remove.
std::string LeftBehindText(const std::vector<std::string>& files);

// The caption of the box that refuses a command whose length count passed the limit: two
// lines, or one where `line_break` is a blank.
std::string CommandTooLongText(int count, std::string_view line_break = "\r\n");

// "FFmpeg ［経過時間 01:05:07］" or, for the volume job, "AACGain [経過時間 01:05:07]", for the whole
// seconds of `elapsed_ms`. Hours above 99 print with more digits.
std::string ElapsedTitle(RunKind kind, std::uint32_t elapsed_ms);

}  // namespace clipwright

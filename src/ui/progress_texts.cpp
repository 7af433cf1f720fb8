#include "ui/progress_texts.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "jobs/output_check.h"
#include "platform/paths.h"
#include "tools/number_text.h"

namespace clipwright {
namespace {

// The word of a page's run in its texts; empty for the others.
std::string Word(RunKind kind) {
  switch (kind) {
    case RunKind::kSplit:
    case RunKind::kSplitAtKeyframes:
      return "分割";
    case RunKind::kConcatenate:
      return "連結";
    case RunKind::kMultiplex:
      return "多重化";
    case RunKind::kSeparate:
      return "分離";
    case RunKind::kConvert:
      return "変換";
    default:
      return {};
  }
}

std::string Seconds(std::int64_t milliseconds) { return FixedText(static_cast<double>(milliseconds) / 1000, 3); }

// Why an output did not pass its check.
std::string CheckFailureText(const StageEvent& event) {
  const std::string first = std::to_string(event.first);
  const std::string second = std::to_string(event.second);
  switch (static_cast<CheckFailure>(event.number)) {
    case CheckFailure::kUnreadable:
      return "FFmpegで読み込めません";
    case CheckFailure::kStreamCount:
      return "ストリームが " + first + " 本のはずが " + second + " 本です";
    case CheckFailure::kEmptyStream:
      return "ストリーム #0:" + first + " にデータがありません";
    case CheckFailure::kNotKeyframe:
      return "先頭がキーフレームではありません";
    case CheckFailure::kPacketCount:
      return "映像のフレームが " + first + " 個のはずが " + second + " 個です";
    case CheckFailure::kLength:
      return "再生時間が " + Seconds(event.first) + " 秒のはずが " + Seconds(event.second) + " 秒です";
    case CheckFailure::kDecodeError:
      return "最後まで再生できません";
    case CheckFailure::kTimestampJump:
      return "フレーム " + first + " の前で時刻が " + Seconds(event.second) + " 秒飛んでいます";
    case CheckFailure::kCopiedFrameChanged:
      return "コピーしたフレーム " + first + " が元のファイルと一致しません";
    case CheckFailure::kPictureQuality:
      return "再エンコードしたフレーム " + first + " の画質が足りません（PSNR " + std::to_string(event.second / 10) + "." +
             std::to_string(event.second % 10) + " dB）";
    case CheckFailure::kNone:
      break;
  }
  return {};
}

std::string FrameSpan(const StageEvent& event) {
  return std::to_string(event.first) + " - " + std::to_string(event.second - 1);
}

std::optional<ProgressText> Process(std::string text) { return ProgressText{ProgressLine::kProcess, std::move(text)}; }
std::optional<ProgressText> Progress(std::string text) { return ProgressText{ProgressLine::kProgress, std::move(text)}; }

std::string TwoDigits(unsigned value) {
  std::string text = std::to_string(value);
  if (text.size() < 2) text.insert(0, 1, '0');
  return text;
}

}  // namespace

std::optional<ProgressText> StageText(RunKind kind, const StageEvent& event) {
  const std::string word = Word(kind);
  switch (event.stage) {
    case Stage::kToolNotStarted:
      return Process("パイプ通信の作成に失敗しました。");
    case Stage::kGainFinalStage:
      return Process("MP3ゲイン適用の最終処理を行っています．．．［これにはかなり時間が掛かります］");
    case Stage::kReadingStreams:
      return Process("ストリーム情報の取得中．．．");
    case Stage::kReadingVideoFrames:
      return Process("ビデオフレーム情報の取得中．．．");
    case Stage::kReadingAudioFrames:
      return Process("オーディオフレーム情報の取得中．．．［フレーム数に応じた時間が掛かります］");
    case Stage::kAudioFrameNumber:
      return Progress("フレーム番号: " + std::to_string(event.number));
    case Stage::kProbing:
      return Process("ストリーム情報の解析中．．．");
    case Stage::kProbeFailed:
      return Process("ストリーム情報を取得出来ませんでした。");
    case Stage::kScanningVideo:
      return Process("ビデオストリームの解析中．．．［再生時間に応じた時間が掛かります］");
    case Stage::kScanFailed:
      return Process("ビデオストリームの解析に失敗しました。");
    case Stage::kTooManyFrames:
      return Process("フレーム数が多すぎるため（上限 1000000 フレーム）、解析出来ませんでした。");
    case Stage::kLoadingKeyframes:
      return Process("キーフレーム情報の取得中．．．［キーフレーム数に応じた時間が掛かります］");
    case Stage::kKeyframeNumber:
      return Progress("キーフレーム番号: " + std::to_string(event.number));
    case Stage::kScanningAudio:
      return Process("オーディオストリームの解析中．．．［再生時間に応じた時間が掛かります］");
    case Stage::kNothingToDo:
      return Process((kind == RunKind::kVolume ? std::string("処理") : word) + "すべきファイルがありません。");
    case Stage::kFfmpegMissing:
      return Process("FFmpeg.exeがありません。");
    case Stage::kAacgainMissing:
      return Process("AACGain.exeがありません。");
    case Stage::kNoAudioTrack:
      return Process("音声トラックが見つかりませんでした。");
    case Stage::kNoInput:
      return Process("ストリームが選択されていません。");
    case Stage::kSourceChanged:
      return Process("ファイルが追加後に変更されたか、見つかりません。もう一度追加して下さい： " + event.text);
    case Stage::kSetAside:
      return Process("実行前の確認で処理しないことにしました： " + event.text);
    case Stage::kCommandRefused:
      // The piece commands of a split say it in the line itself: a box per piece would be many.
      if (kind == RunKind::kSplitAtKeyframes) return Process(CommandTooLongText(static_cast<int>(event.number), " "));
      return Process("コマンドの作成に失敗しました。");
    case Stage::kMakingTempCopies:
      return Process("一時ファイルを作成中です．．．");
    case Stage::kTempCopyFailed:
      return Process("一時ファイルを作成出来ませんでした： " + event.text);
    case Stage::kConcatListFailed:
      return Process("連結リストを作成出来ませんでした： " + event.text);
    case Stage::kOutputNameFailed:
      return Process("出力ファイル名を決められませんでした： " + event.text);
    case Stage::kRunning:
      return Process("ファイルを" + word + "中です．．．");
    case Stage::kRunningPiece:
      return Process("ファイルを分割中です．．．［ " + std::to_string(event.first) + " - " + std::to_string(event.second) +
                     " ］");
    case Stage::kEncodingHead:
      return Process("先頭のフレームを再エンコード中です．．．［ " + FrameSpan(event) + " ］");
    case Stage::kCopyingGops:
      return Process("キーフレーム間をコピー中です．．．［ " + FrameSpan(event) + " ］");
    case Stage::kEncodingTail:
      return Process("末尾のフレームを再エンコード中です．．．［ " + FrameSpan(event) + " ］");
    case Stage::kJoiningParts:
      return Process("ファイルを結合中です．．．");
    case Stage::kCopyingSource:
      return Process("一時ファイルを作成中...");
    case Stage::kSourceCopied:
      return Process("一時ファイルの作成に成功しました。");
    case Stage::kSourceCopyFailed:
      return Process("一時ファイルの作成に失敗しました。");
    case Stage::kMakingContainer:
      return Process("MP4コンテナのファイルを作成中です...");
    case Stage::kContainerMade:
      return Process("MP4コンテナのファイル作成に成功しました。");
    case Stage::kContainerFailed:
      return Process("MP4コンテナのファイル作成に失敗しました。");
    case Stage::kMakingAudioOnly:
      return Process("音声ストリームのみのファイルを作成中...");
    case Stage::kAudioOnlyMade:
      return Process("音声ストリームのみのファイル作成に成功しました。");
    case Stage::kAudioOnlyFailed:
      return Process("音声ストリームのみのファイル作成に失敗しました。");
    case Stage::kAnalysingGain:
      return Process("音声ストリームを解析中です... [再生時間に応じて時間が掛かります]");
    case Stage::kAnalysisFailed:
      return Process("ファイルの解析でエラーが発生しました。リトライして下さい。");
    case Stage::kApplyingGain:
      return Process("ファイルにMP3ゲイン[" + std::to_string(event.number) + "]を適用中です...");
    case Stage::kGainApplied:
      return Process("ゲインの適用に成功しました。");
    case Stage::kGainFailed:
      return Process("ゲインの適用に失敗しました。");
    case Stage::kRemovingMetadata:
      return Process("ファイルからメタタグを削除中...");
    case Stage::kMetadataRemoved:
      return Process("メタタグの削除に成功しました。");
    case Stage::kMetadataFailed:
      return Process("メタタグの削除に失敗しました。");
    case Stage::kRemovingTags:
      return Process("MP3ファイルからID3タグを削除中...");
    case Stage::kTagsRemoved:
      return Process("ID3タグの削除に成功しました。");
    case Stage::kTagsFailed:
      return Process("ID3タグの削除に失敗しました。");
    case Stage::kCheckFailed:
      return Process("出力ファイルの検査に失敗しました：" + CheckFailureText(event));
    case Stage::kRenameFailed:
      return Process("出力ファイルの名前変更に失敗しました。");
    case Stage::kRemoveFailed: {
      const platform::PathParts parts = platform::SplitPath(event.text);
      return Process("一時ファイルの削除に失敗しました。 [" + parts.name + parts.extension + "]");
    }
  }
  return std::nullopt;
}

std::vector<std::string> FileEndTexts(RunKind kind, FileOutcome outcome) {
  if (kind == RunKind::kAnalysis) return {};
  if (kind == RunKind::kVolume) {
    return {outcome == FileOutcome::kSucceeded ? "ゲイン適用に成功しました。" : "ゲイン適用に失敗しました。"};
  }
  const std::string word = Word(kind);
  switch (outcome) {
    case FileOutcome::kSucceeded:
      return {"ファイルの" + word + "に成功しました。"};
    case FileOutcome::kFailed:
      return {"ファイルの" + word + "に失敗しました。"};
    case FileOutcome::kRefused:
      return {};  // its reason is on show
    case FileOutcome::kAborted:
      if (kind == RunKind::kSplitAtKeyframes) return {"ファイルの分割を中断中しました。"};
      return {"ファイルの" + word + "を中断中です．．．", "ファイルの" + word + "を中断しました。"};
  }
  return {};
}

std::string PredictionText(double seconds) {
  const auto hours = static_cast<unsigned>(seconds / 3600);
  const double rest = seconds - hours * 3600.0;
  const auto minutes = static_cast<unsigned>(rest / 60);
  const double left = std::max(0.0, rest - minutes * 60.0);
  // printf's "%05.2f" without the locale.
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, left, std::chars_format::fixed, 2);
  std::string text(digits, result.ptr);
  if (text.size() < 5) text.insert(0, 5 - text.size(), '0');
  return "ファイルを変換中です．．．[予測時間 " + TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + text + "]";
}

std::string SummaryText(int successes, int failures) {
  return "作成結果\r\n成功： " + std::to_string(successes) + " ファイル\r\n失敗： " + std::to_string(failures) + " ファイル";
}

std::string LeftBehindText(const std::vector<std::string>& files) {
  std::string text = "削除出来なかったファイルがあります：";
  for (const std::string& file : files) text += " " + file;
  return text;
}

std::string CommandTooLongText(int count, std::string_view line_break) {
  return "コマンドラインが長くなり過ぎです。 [ " + std::to_string(count) + " byte ]" + std::string(line_break) +
         "ファイル名を短くして下さい。";
}

std::string ElapsedTitle(RunKind kind, std::uint32_t elapsed_ms) {
  const std::uint32_t seconds = elapsed_ms / 1000;
  const unsigned hours = seconds / 3600;
  const unsigned minutes = seconds % 3600 / 60;
  const unsigned rest = seconds % 60;
  // The FFmpeg title has full-width brackets, the AACGain title ASCII ones.
  const char* format = kind == RunKind::kVolume ? "AACGain [経過時間 %02u:%02u:%02u]" : "FFmpeg ［経過時間 %02u:%02u:%02u］";
  char title[64];
  std::snprintf(title, sizeof title, format, hours, minutes, rest);
  return title;
}

}  // namespace clipwright

#include "volume/volume_worker.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/ascii_case.h"
#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/command_builder.h"
#include "jobs/run_end.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tools/output_scanner.h"
#include "volume/target_level.h"
#include "volume/volume_commands.h"
#include "volume/volume_names.h"

namespace clipwright {
namespace {

// What the status line says while a working file is made, and after.
struct CopyTexts {
  const char* running;
  const char* succeeded;
  const char* failed;
};

CopyTexts TextsOf(WorkingCopy copy) {
  switch (copy) {
    case WorkingCopy::kContainer:
      return {"MP4コンテナのファイルを作成中です...", "MP4コンテナのファイル作成に成功しました。",
              "MP4コンテナのファイル作成に失敗しました。"};
    case WorkingCopy::kAudioOnly:
      return {"音声ストリームのみのファイルを作成中...", "音声ストリームのみのファイル作成に成功しました。",
              "音声ストリームのみのファイル作成に失敗しました。"};
    case WorkingCopy::kBytes:
      break;
  }
  return {"一時ファイルを作成中...", "一時ファイルの作成に成功しました。", "一時ファイルの作成に失敗しました。"};
}

// One run over the list. Each step of a file either succeeds or has already removed what the
// file's run made, so that a failed file leaves nothing behind.
class VolumeRun {
 public:
  VolumeRun(VolumeJob& job, Dialog& progress, Dialog& page, Requests& requests, std::string ffmpeg,
            std::string aacgain)
      : job_(job), progress_(progress), page_(page), requests_(requests), ffmpeg_(std::move(ffmpeg)),
        aacgain_(std::move(aacgain)) {}

  // True when row `row`'s file has its output.
  bool ProcessFile(int row) {
    working_.clear();
    const std::string listed = page_.RowText(IDC_VOLUME_FILES, row);
    progress_.SetText(IDC_PROGRESS_FILE, listed);
    const int audio = AudioStreamOf(row);
    if (audio < 0) {
      Status("音声トラックが見つかりませんでした。");
      return false;
    }
    return MakeWorkingFile(listed, audio) && ChangeGain() && RemoveMetadata() && RemoveTags() &&
           TakeOutputName(listed);
  }

  const std::vector<std::string>& left_behind() const { return left_behind_; }

  // The abort button comes back after AACGain's steps, unless it has been pressed.
  void EnableAbort() {
    if (job_.abort.load() == 0) progress_.Enable(IDC_PROGRESS_ABORT, true);
  }

 private:
  int AudioStreamOf(int row) const {
    if (job_.files == nullptr || row < 0 || row >= static_cast<int>(job_.files->files.size())) return -1;
    return FindAudioStream(job_.files->files[static_cast<std::size_t>(row)]);
  }

  std::string MetadataOptions() {
    std::string options;
    AppendGeneralOptions(options, requests_, kMetadataOptionsFirstEntry);
    return options;
  }

  bool MakeWorkingFile(const std::string& listed, int audio) {
    const WorkingCopy how =
        ChooseWorkingCopy(platform::SplitPath(listed).extension, page_.IsChecked(IDC_VOLUME_AUDIO_ONLY));
    const CopyTexts texts = TextsOf(how);
    Status(texts.running);
    std::string temp = MakeTempName(listed);
    bool made = !temp.empty();
    if (made && how == WorkingCopy::kBytes) {
      made = platform::CopyFileOver(listed, temp);
    } else if (made) {
      const std::string map = how == WorkingCopy::kAudioOnly ? "-map 0:" + std::to_string(audio) : std::string();
      made = RunStep(CopyCommand(ffmpeg_, listed, map, MetadataOptions(), temp), SCAN_JOB, nullptr, {}) ==
             VERDICT_SUCCESS;
    }
    if (!made) {
      Status(texts.failed);
      Remove(temp);
      return false;
    }
    Status(texts.succeeded);
    working_ = std::move(temp);
    return true;
  }

  // AACGain gets the working file by its bare name in its own folder: the name is ASCII, and
  // no part of the user's path, which AACGain would read in the ANSI code page, reaches it.
  bool ChangeGain() {
    const platform::PathParts parts = platform::SplitPath(working_);
    const std::string folder = parts.drive + parts.directory;
    const std::string name = parts.name + parts.extension;

    // AACGain is never interrupted: a file it stops half-way through is broken.
    progress_.Enable(IDC_PROGRESS_ABORT, false);
    Status("音声ストリームを解析中です... [再生時間に応じて時間が掛かります]");
    const double target = ReadTargetLevel(page_.Text(IDC_VOLUME_TARGET));
    int gain = GAIN_NOT_FOUND;
    // A run that ends without a recommendation (a file AACGain cannot open or read, or "done"
    // alone) has no gain to apply.
    if (RunStep(AnalysisCommand(aacgain_, target, name), SCAN_GAIN_ANALYSE, &gain, folder) != VERDICT_SUCCESS ||
        gain == GAIN_NOT_FOUND) {
      Status("ファイルの解析でエラーが発生しました。リトライして下さい。");
      Remove(working_);
      return false;
    }
    Status("ファイルにMP3ゲイン[" + std::to_string(gain) + "]を適用中です...");
    if (RunStep(ApplyCommand(aacgain_, gain, name), SCAN_GAIN_APPLY, nullptr, folder) != VERDICT_SUCCESS) {
      Status("ゲインの適用に失敗しました。");
      Remove(working_);
      return false;
    }
    EnableAbort();
    Status("ゲインの適用に成功しました。");
    return true;
  }

  // The metadata pass writes a new copy; it becomes the working file.
  bool RemoveMetadata() {
    const std::string options = MetadataOptions();
    if (options.empty()) return true;
    Status("ファイルからメタタグを削除中...");
    progress_.SetText(IDC_PROGRESS_STATUS, "");
    std::string out = MakeNumberedName(working_);
    if (!out.empty() &&
        RunStep(CopyCommand(ffmpeg_, working_, {}, options, out), SCAN_JOB, nullptr, {}) == VERDICT_SUCCESS) {
      Status("メタタグの削除に成功しました。");
      std::string previous = std::exchange(working_, std::move(out));
      Remove(previous);
      return true;
    }
    Status("メタタグの削除に失敗しました。");
    Remove(out);
    Remove(working_);
    return false;
  }

  bool RemoveTags() {
    Dialog* settings = requests_.Page(PAGE_SETTINGS);
    if (settings == nullptr || !settings->IsChecked(IDC_OPT_STRIP_ID3) ||
        !EqualsIgnoringCase(platform::SplitPath(working_).extension, ".mp3")) {
      return true;
    }
    Status("MP3ファイルからID3タグを削除中...");
    if (StripTagHeader(working_, &left_behind_)) {
      Status("ID3タグの削除に成功しました。");
      return true;
    }
    Status("ID3タグの削除に失敗しました。");
    Remove(working_);
    return false;
  }

  bool TakeOutputName(const std::string& listed) {
    if (MoveToOutputName(working_, listed).empty()) {
      Status("出力ファイルの名前変更に失敗しました。");
      Remove(working_);
      return false;
    }
    working_.clear();
    return true;
  }

  // Runs one tool step. A step that has not started when 中断 was pressed is not started: it
  // fails as aborted, as it would have at its end.
  int RunStep(const std::string& command, int mode, int* gain, const std::string& folder) {
    if (CommandCounter(command) > COMMAND_LIMIT) {
      Status("コマンドの作成に失敗しました。");
      return VERDICT_FAILURE;
    }
    if (job_.abort.load() != 0) return VERDICT_ABORTED;
    const auto result = std::make_unique<AnalysisResult>();
    return job_.scan_output ? job_.scan_output(*result, progress_, job_.abort, command, mode, gain, folder)
                            : ScanOutput(*result, progress_, job_.abort, command, mode, gain, 0, folder);
  }

  // Deletes a file this run made; one that stays is named in the status.
  void Remove(std::string& path) {
    if (path.empty()) return;
    if (!platform::DeleteFileForced(path) && platform::PathExists(path)) {
      const platform::PathParts parts = platform::SplitPath(path);
      Status("一時ファイルの削除に失敗しました。 [" + parts.name + parts.extension + "]");
      left_behind_.push_back(path);
    }
    path.clear();
  }

  void Status(std::string_view text) { progress_.SetText(IDC_PROGRESS_PROCESS, text); }

  VolumeJob& job_;
  Dialog& progress_;
  Dialog& page_;
  Requests& requests_;
  const std::string ffmpeg_;
  const std::string aacgain_;
  std::string working_;  // the file of ours the current file's steps work on
  std::vector<std::string> left_behind_;  // files of ours that could not be removed
};

// The checks before the first file; false after an early end has been shown.
bool ReadyToRun(int rows, Dialog& progress, Requests& requests, std::string* ffmpeg, std::string* aacgain) {
  // The main window has already told the user about a missing tool.
  const char* problem = nullptr;
  if (rows == 0) {
    problem = "処理すべきファイルがありません。";
  } else if (!requests.FfmpegPath(ffmpeg)) {
    problem = "FFmpeg.exeがありません。";
  } else if (!requests.AacgainPath(aacgain)) {
    problem = "AACGain.exeがありません。";
  }
  if (problem == nullptr) return true;
  progress.SetText(IDC_PROGRESS_PROCESS, problem);
  OfferClose(progress);
  return false;
}

}  // namespace

void VolumeWorker(VolumeJob& job, Dialog& progress, Dialog& page, Requests& requests) {
  const int rows = page.RowCount(IDC_VOLUME_FILES);
  std::string ffmpeg;
  std::string aacgain;
  if (!ReadyToRun(rows, progress, requests, &ffmpeg, &aacgain)) return;

  VolumeRun run(job, progress, page, requests, ffmpeg, aacgain);
  int successes = 0;
  for (int row = 0; row < rows; ++row) {
    const bool done = run.ProcessFile(row);
    if (done) ++successes;
    progress.SetText(IDC_PROGRESS_PROCESS, done ? "ゲイン適用に成功しました。" : "ゲイン適用に失敗しました。");
    run.EnableAbort();
  }
  ReportLeftBehind(progress, run.left_behind());
  ShowRunSummary(progress, successes, rows - successes);

  // Failed files do not prevent the shut-down; an abort does.
  if (job.abort.load() == 0 && page.IsChecked(IDC_VOLUME_POWER_OFF)) PowerOff(job.power_off);
}

}  // namespace clipwright

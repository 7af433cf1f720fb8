#include "jobs/keyframe_split_worker.h"

#include <memory>

#include "common/control_ids.h"
#include "jobs/command_builder.h"
#include "jobs/number_text.h"
#include "jobs/output_files.h"
#include "jobs/run_end.h"
#include "jobs/split_job.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

std::string SixDigits(std::uint32_t value) { return FixedText(value, 0, 6); }

}  // namespace

void KeyframeSplitWorker(JobContext& job, Dialog& progress, Dialog& page, Requests& requests) {
  const SplitPageState* split = job.split;
  const std::uint32_t pieces =
      split != nullptr && split->keyframe_frames.size() > split->keyframe_count ? split->keyframe_count : 0;
  int successes = 0;
  std::string ffmpeg;
  if (!requests.FfmpegPath(&ffmpeg)) {
    progress.SetText(IDC_PROGRESS_PROCESS, "FFmpeg.exeがありません。");
  } else {
    const std::string path = page.Text(IDC_SPLIT_PATH);
    progress.SetText(IDC_PROGRESS_FILE, path);
    const platform::PathParts parts = platform::SplitPath(path);
    job.container = page.ComboText(IDC_SPLIT_CONTAINER);
    for (std::uint32_t i = 0; i < pieces; ++i) {
      const std::uint32_t a = split->keyframe_frames[i];
      const std::uint32_t b = split->keyframe_frames[i + 1];
      progress.SetText(IDC_PROGRESS_PROCESS, "ファイルを分割中です．．．［ " + std::to_string(a) + " - " +
                                                 std::to_string(b) + " ］");
      const SplitCut cut = KeyframeCut(*split, i, i + 1);
      const std::string output = parts.drive + parts.directory + parts.name + "_[" + SixDigits(i) + "]_" +
                                 SixDigits(a) + "-" + SixDigits(b) + "." + job.container;
      const std::string command = "\"" + ffmpeg + "\" -hide_banner" + SeekPiece(cut) + " -i \"" + path +
                                  "\" -map 0 -c copy" + TimePiece(cut) + " -y \"" + output + "\"";
      AppendCommandLog(requests, command, job.program_folder);
      const int counter = CommandCounter(command);
      if (counter > COMMAND_LIMIT) {
        // The process line has one line.
        progress.SetText(IDC_PROGRESS_PROCESS, CommandTooLongText(counter, " "));
        continue;
      }

      // A piece replaces one of an earlier run by its name; a file that was there before the run
      // is never removed here.
      const bool existed = platform::PathExists(output);
      int verdict;
      {
        auto result = std::make_unique<AnalysisResult>();
        verdict = job.scan_output ? job.scan_output(*result, progress, job.abort, command, SCAN_JOB, nullptr, 0)
                                  : ScanOutput(*result, progress, job.abort, command, SCAN_JOB, nullptr, 0);
      }
      if (verdict == VERDICT_SUCCESS) {
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの分割に成功しました。");
        ++successes;
        continue;
      }
      // An unfinished piece must not pass for a good one.
      if (!existed && platform::PathExists(output) && !platform::DeleteFileForced(output)) {
        job.left_behind.push_back(output);
      }
      if (verdict == VERDICT_ABORTED) {
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの分割を中断中しました。");
        break;
      }
      progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの分割に失敗しました。");
    }
  }
  ReportLeftBehind(progress, job.left_behind);
  ShowRunSummary(progress, successes, static_cast<int>(pieces) - successes);
}

}  // namespace clipwright

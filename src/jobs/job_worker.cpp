#include "jobs/job_worker.h"

#include <memory>

#include "common/ascii_case.h"
#include "common/control_ids.h"
#include "common/limits.h"
#include "jobs/command_builder.h"
#include "jobs/output_files.h"
#include "jobs/run_end.h"
#include "jobs/tag_header.h"
#include "platform/files.h"
#include "tools/output_scanner.h"

namespace clipwright {

const char* OperationWord(int operation) {
  switch (operation) {
    case OP_SPLIT:
      return "分割";
    case OP_CONCATENATE:
      return "連結";
    case OP_MULTIPLEX:
      return "多重化";
    case OP_SEPARATE:
      return "分離";
    case OP_CONVERT:
      return "変換";
    default:
      return "";
  }
}

namespace {

int FileCount(const JobContext& job, Dialog& page) {
  switch (job.operation) {
    case OP_SPLIT:
    case OP_MULTIPLEX:
      return 1;
    case OP_CONCATENATE:
      return page.RowCount(IDC_CONCAT_FILES) >= 2 ? 1 : 0;
    case OP_SEPARATE:
      return page.RowCount(IDC_SEPARATE_FILES);
    case OP_CONVERT:
      return page.RowCount(IDC_CONVERT_FILES);
    default:
      return 0;
  }
}

double FileDuration(const JobContext& job, int file_index) {
  if (job.operation != OP_CONVERT || job.files == nullptr) return 0;
  if (file_index < 0 || file_index >= static_cast<int>(job.files->files.size())) return 0;
  return job.files->files[static_cast<std::size_t>(file_index)].duration;
}

// Temp copies and the concat list of one file go, and the output takes its final name when this
// run made it: only a success leaves one, for a failed or aborted run removes its own, and
// whatever else has the name then is not this run's to move.
void PostProcess(JobContext& job, Dialog& page, bool temp_copies, const JobFiles& files, bool succeeded) {
  int slots = 0;
  bool single_copy = false;
  if (temp_copies) {
    switch (job.operation) {
      case OP_CONCATENATE:
        slots = page.RowCount(IDC_CONCAT_FILES);
        break;
      case OP_MULTIPLEX:
        slots = 2;
        break;
      default:
        slots = 1;
        single_copy = true;
        break;
    }
  } else if (job.operation != OP_SPLIT && job.operation != OP_CONCATENATE) {
    return;  // the output keeps the free name it was written under
  }
  FinishOutputFiles(job, files.display_name, succeeded ? files.output_path : std::string(), slots, single_copy);
}

}  // namespace

void JobWorker(JobContext& job, Dialog& progress, Dialog& page, Requests& requests) {
  const std::string word = OperationWord(job.operation);
  bool temp_copies = false;
  bool strip_tags = false;
  if (Dialog* settings = requests.Page(PAGE_SETTINGS)) {
    temp_copies = settings->IsChecked(IDC_TEMP_COPIES);
    strip_tags = settings->IsChecked(IDC_OPT_STRIP_ID3);
  }

  const int file_count = FileCount(job, page);
  int successes = 0;
  bool aborted = false;
  std::string ffmpeg;
  if (file_count == 0) {
    progress.SetText(IDC_PROGRESS_PROCESS, word + "すべきファイルがありません。");
  } else if (!requests.FfmpegPath(&ffmpeg)) {
    progress.SetText(IDC_PROGRESS_PROCESS, "FFmpeg.exeがありません。");
  } else {
    for (int file_index = 0; file_index < file_count; ++file_index) {
      JobFiles files;
      const bool built = BuildJobCommand(job, page, progress, requests, ffmpeg, file_index, temp_copies, &files);
      // An abort while the copies were made ends the run before FFmpeg starts.
      int verdict = VERDICT_ABORTED;
      bool ran = false;
      std::string capture;
      if (job.abort.load() == 0) {
        if (!built) {
          progress.SetText(IDC_PROGRESS_PROCESS, files.failure.empty() ? "コマンドの作成に失敗しました。" : files.failure);
          // The copies and the concat list made for the refused command are not left behind.
          PostProcess(job, page, temp_copies, files, false);
          continue;
        }
        progress.SetText(IDC_PROGRESS_FILE, files.display_name);
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルを" + word + "中です．．．");
        auto result = std::make_unique<AnalysisResult>();
        ran = true;
        verdict = job.scan_output
                      ? job.scan_output(*result, progress, job.abort, files.command, SCAN_JOB, nullptr,
                                        FileDuration(job, file_index))
                      : ScanOutput(*result, progress, job.abort, files.command, SCAN_JOB, nullptr,
                                   FileDuration(job, file_index));
        capture = std::move(result->capture);
      }

      if (verdict == VERDICT_SUCCESS) {
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの" + word + "に成功しました。");
        ++successes;
        const auto size = platform::FileSize(files.output_path);
        if (size && *size > 0 && strip_tags && EqualsIgnoringCase(job.container, "mp3")) {
          StripTagHeader(files.output_path, &job.left_behind);
        }
      } else if (verdict == VERDICT_ABORTED) {
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの" + word + "を中断中です．．．");
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの" + word + "を中断しました。");
        aborted = true;
      } else {
        progress.SetText(IDC_PROGRESS_PROCESS, "ファイルの" + word + "に失敗しました。");
      }
      // A failed or aborted file leaves no unfinished output behind. Before FFmpeg ran, whatever has
      // the output's name is not this run's.
      if (ran && verdict != VERDICT_SUCCESS) RemoveUnfinishedOutput(job, files.output_path, capture);
      PostProcess(job, page, temp_copies, files, verdict == VERDICT_SUCCESS);
      if (aborted) break;
    }
  }

  ReportLeftBehind(progress, job.left_behind);
  ShowRunSummary(progress, successes, file_count - successes);

  // Failed files do not prevent the shut-down; an abort does.
  if (job.operation == OP_CONVERT && !aborted && page.IsChecked(IDC_CONVERT_POWER_OFF)) PowerOff(job.power_off);
}

}  // namespace clipwright

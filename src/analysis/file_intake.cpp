#include "analysis/file_intake.h"

#include <cstddef>

#include "analysis/error_list.h"
#include "analysis/file_list_ops.h"
#include "analysis/probe.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"

namespace clipwright {
namespace {

// The zero-ended piece at `*at`, or the rest of the buffer when it has no zero; moves past it.
std::u16string_view NextPiece(std::u16string_view buffer, std::size_t* at) {
  if (*at >= buffer.size()) return {};
  const std::size_t end = buffer.find(u'\0', *at);
  const std::size_t stop = end == std::u16string_view::npos ? buffer.size() : end;
  const std::u16string_view piece = buffer.substr(*at, stop - *at);
  *at = stop + 1;
  return piece;
}

}  // namespace

std::vector<std::string> PathsFromOpenDialog(std::u16string_view buffer) {
  std::vector<std::string> paths;
  std::size_t at = 0;
  const std::u16string_view first = NextPiece(buffer, &at);
  if (first.empty()) return paths;
  std::u16string_view name = NextPiece(buffer, &at);
  if (name.empty()) {
    paths.push_back(platform::Utf16ToUtf8(first));
    return paths;
  }
  std::u16string folder(first);
  if (folder.back() != u'\\') folder += u'\\';
  for (; !name.empty(); name = NextPiece(buffer, &at)) {
    paths.push_back(platform::Utf16ToUtf8(folder + std::u16string(name)));
  }
  return paths;
}

std::vector<std::string> PathsFromDrop(const std::vector<std::string>& dropped, bool single_file) {
  std::vector<std::string> paths;
  for (const std::string& path : dropped) {
    // A name too long for the lists may be unreadable only because of its length: it stays in
    // the batch, so that the probe turns it down with an error line instead of it vanishing.
    const bool too_long = platform::Utf16Length(path) > static_cast<std::size_t>(PATH_CAPACITY - 1);
    if (platform::IsDirectory(path) || (!too_long && !platform::PathExists(path))) continue;
    paths.push_back(path);
    if (single_file) break;
  }
  return paths;
}

int AddFiles(AnalysisJob& job, Dialog& page, Requests& requests, IntakeShell& shell,
             const std::vector<std::string>* dropped) {
  std::string ffmpeg;
  if (!requests.FfmpegPath(&ffmpeg)) return 0;

  const bool single_file = IsSingleFileTarget(job.target);
  std::optional<std::vector<std::string>> paths;
  if (dropped != nullptr) {
    paths = PathsFromDrop(*dropped, single_file);
  } else if (const auto buffer = shell.ChooseFiles(!single_file)) {
    paths = PathsFromOpenDialog(*buffer);
  }
  // A drop of folders only has nothing to analyse; the dialog would just flash.
  if (paths && !paths->empty()) {
    job.paths = std::move(*paths);
    job.error = 0;
    job.abort = 0;
    shell.RunAnalysisDialog(job);
    if (job.error != 0 &&
        page.MessageBox("追加出来なかったファイルがありました。\r\nエラーリストを表示しますか？", "ファイル追加エラー",
                        kMessageYesNo) == kAnswerYes) {
      shell.OpenErrorList(ErrorListPath(job.error_folder));
    }
  }

  // Also after a cancelled dialog: the page shows the first file's streams.
  const ListPage* list = FindListPage(job.target.file_list);
  if (list != nullptr && job.files != nullptr && page.RowCount(list->file_list) > 0) {
    SelectFile(page, *list, *job.files, 0);
  }
  return 1;
}

void AnalysisWorker(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests) {
  const bool split_page = job.target.path_control == IDC_SPLIT_PATH;
  int scan_result = 1;
  for (const std::string& path : job.paths) {
    const int probed = ProbeFile(job, progress, page, requests, path);
    if (probed == 0) job.error = 1;
    if (probed == 1 && split_page && job.split_scan) {
      // The scans take a while; the probe alone is too short to be worth aborting.
      progress.Enable(IDC_PROGRESS_ABORT, true);
      scan_result = job.split_scan(job, progress, page, requests, path);
    }
    if (job.abort != 0) {
      progress.Enable(IDC_PROGRESS_ABORT, false);
      break;
    }
  }
  progress.StopTimer();
  if (split_page && job.error == 0 && scan_result == 1 && job.split_analysed) job.split_analysed(page);
  progress.End(job.abort != 0 || scan_result == 0 ? 2 : 1);
}

}  // namespace clipwright

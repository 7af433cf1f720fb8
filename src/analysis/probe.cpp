#include "analysis/probe.h"

#include <algorithm>
#include <cstddef>

#include "analysis/error_list.h"
#include "common/ascii_case.h"
#include "common/limits.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tools/output_scanner.h"

namespace clipwright {
namespace {

int NotAdded(AnalysisJob& job, const std::string& path) {
  // A folder that cannot be written loses the line, not the batch.
  AppendErrorList(job.error_folder, path);
  return 0;
}

std::size_t StoredStreamCount(const AnalysisResult& result) {
  return std::min<std::size_t>(result.stream_lines.size(), STREAM_CAPACITY);
}

void StoreSingleFile(AnalysisJob& job, Dialog& page, const std::string& path, const AnalysisResult& result) {
  const ProbeTarget& target = job.target;
  page.DeleteAllRows(target.stream_list);
  const std::size_t count = StoredStreamCount(result);
  for (std::size_t i = 0; i < count; ++i) {
    page.InsertRow(target.stream_list, static_cast<int>(i), result.stream_lines[i]);
  }
  page.SetText(target.path_control, path);
  page.Enable(target.run_button, true);
  if (target.path_control == IDC_SPLIT_PATH && job.split != nullptr) job.split->video_kind = result.video_kind;
}

void StoreListFile(AnalysisJob& job, Dialog& page, int row, const std::string& path, const AnalysisResult& result) {
  const ProbeTarget& target = job.target;
  if (job.files != nullptr) {
    FileEntry entry;
    const std::size_t count = StoredStreamCount(result);
    entry.streams.reserve(count);
    for (std::size_t i = 0; i < count; ++i) entry.streams.push_back(StreamEntry{result.stream_lines[i], 1});
    if (job.files->keeps_durations) entry.duration = result.duration;
    // Entry n belongs to row n: whatever lies beyond the rows is stale and goes.
    job.files->files.resize(static_cast<std::size_t>(row));
    job.files->files.push_back(std::move(entry));
  }
  page.InsertRow(target.file_list, row, path);
  // Joining needs two files.
  if (target.file_list != IDC_CONCAT_FILES || row + 1 >= 2) page.Enable(target.run_button, true);
}

}  // namespace

bool IsVolumeExtension(const std::string& path) {
  const std::string extension = platform::SplitPath(path).extension;
  for (const char* accepted : {".mp4", ".mp3", ".m4a", ".aac"}) {
    if (EqualsIgnoringCase(extension, accepted)) return true;
  }
  return false;
}

int ProbeFile(AnalysisJob& job, Dialog& progress, Dialog& page, Requests& requests, const std::string& path) {
  progress.SetText(IDC_PROGRESS_FILE, path);
  progress.SetText(IDC_PROGRESS_PROCESS, "ストリーム情報の解析中．．．");

  // A path the list rows cannot hold whole is refused rather than cut to another file's name.
  if (platform::Utf16Length(path) > static_cast<std::size_t>(PATH_CAPACITY - 1)) return NotAdded(job, path);
  const bool list_page = job.target.file_list != 0;
  const int row = list_page ? page.RowCount(job.target.file_list) : 0;
  if (list_page && row >= FILE_CAPACITY) return NotAdded(job, path);
  if (job.target.file_list == IDC_VOLUME_FILES && !IsVolumeExtension(path)) return NotAdded(job, path);

  std::string ffmpeg;
  if (!requests.FfmpegPath(&ffmpeg)) return NotAdded(job, path);

  // Not cut at the job commands' limit: a probe is never shown or logged, and a cut command
  // would name another file.
  const std::string command = "\"" + ffmpeg + "\" -hide_banner -nostats -i \"" + path + "\"";
  AnalysisResult result;
  if (ScanOutput(result, progress, job.abort, command, SCAN_PROBE, nullptr, 0) != VERDICT_SUCCESS) {
    progress.SetText(IDC_PROGRESS_PROCESS, "ストリーム情報を取得出来ませんでした。");
    return NotAdded(job, path);
  }
  if (list_page) {
    StoreListFile(job, page, row, path, result);
  } else {
    StoreSingleFile(job, page, path, result);
  }
  return 1;
}

}  // namespace clipwright

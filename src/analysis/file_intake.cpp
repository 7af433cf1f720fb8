#include "analysis/file_intake.h"

#include <cstddef>

#include "analysis/error_list.h"
#include "analysis/split_scans.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/analysis_result.h"

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

IntakeOutcome AnalyseFiles(const IntakeRequest& request, IntakeSink& sink, RunObserver& observer,
                           const std::atomic<int>& abort) {
  IntakeOutcome outcome;
  int listed = request.listed;
  const auto not_added = [&](const std::string& path) {
    // A folder that cannot be written loses the line, not the batch.
    AppendErrorList(request.error_folder, path);
    outcome.not_added = true;
  };
  for (const std::string& path : request.paths) {
    observer.FileStarted(path);
    observer.Report(Stage::kProbing);
    ProbedFile probed;
    // A path the list rows cannot hold whole is refused rather than cut to another file's name.
    if (platform::Utf16Length(path) > static_cast<std::size_t>(PATH_CAPACITY - 1) ||
        listed >= FILE_CAPACITY || (request.volume && !IsVolumeExtension(path))) {
      not_added(path);
    } else if (ProbeFile(request.ffmpeg, path, observer, abort, &probed) != VERDICT_SUCCESS) {
      observer.Report(Stage::kProbeFailed);
      not_added(path);
    } else {
      sink.Added(probed);
      if (listed >= 0) ++listed;
      if (request.split != nullptr) {
        request.split->video_kind = probed.video_kind;
        // The scans take a while; the probe alone is too short to be worth aborting.
        observer.AbortAllowed(true);
        const SplitScan scan = ScanSplitFile(request.ffmpeg, path, *request.split, observer, abort);
        if (scan != SplitScan::kReady) {
          outcome.scan_failed = true;
          sink.SplitScanFailed(scan == SplitScan::kFailedVideo);
        }
      }
    }
    if (abort.load() != 0) {
      observer.AbortAllowed(false);
      outcome.aborted = true;
      break;
    }
  }
  return outcome;
}

}  // namespace clipwright

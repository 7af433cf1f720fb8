#include "analysis/file_intake.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>

#include "analysis/error_list.h"
#include "analysis/split_scans.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/analysis_result.h"
#include "tools/deferred_observer.h"

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

// A run of consecutive files probed ahead of their turn on a thread of its own. What each probe
// reports waits until the files before it are through, and is then told as if the probe ran
// at that moment.
struct ProbeAhead {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void Start(std::size_t run, std::vector<std::size_t> files, const IntakeRequest& request, std::size_t per_run,
             const std::atomic<int>& abort) {
    Free();
    if (files.empty()) return;
    indices = std::move(files);
    outcomes.clear();
    std::vector<std::string> paths;
    for (const std::size_t index : indices) paths.push_back(request.paths[index]);
    try {
      thread = std::jthread([this, paths = std::move(paths), &request, per_run, &abort] {
        outcomes = ProbeFiles(request.ffmpeg, paths, per_run, abort);
      });
      this->run = run;
    } catch (const std::system_error&) {
      // No thread to be had: the files are probed at their turn, as they would be without threads.
    }
  }

  // The probe of file `index` of run `of_run`, once it is over; null when it was not started
  // ahead (no thread, or the file was turned down by then).
  ProbeOutcome* Take(std::size_t of_run, std::size_t index) {
    if (run != of_run) return nullptr;
    if (thread.joinable()) thread.join();
    const auto at = std::find(indices.begin(), indices.end(), index);
    return at == indices.end() ? nullptr : &outcomes[static_cast<std::size_t>(at - indices.begin())];
  }

  void Free() {
    if (thread.joinable()) thread.join();
    run = kNone;
  }

  std::size_t run = kNone;
  std::vector<std::size_t> indices;
  std::vector<ProbeOutcome> outcomes;
  // Last, so that it is joined before what its probes write goes.
  std::jthread thread;
};

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

int ProbesAtOnce() {
  // Zero when the number of cores is unknown.
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

IntakeOutcome AnalyseFiles(const IntakeRequest& request, IntakeSink& sink, RunObserver& observer,
                           const std::atomic<int>& abort) {
  IntakeOutcome outcome;
  int listed = request.listed;
  const auto turned_down = [&](const std::string& path) {
    // A path the list rows cannot hold whole is refused rather than cut to another file's name.
    return platform::Utf16Length(path) > static_cast<std::size_t>(PATH_CAPACITY - 1) || listed >= FILE_CAPACITY ||
           (request.volume && !IsVolumeExtension(path));
  };
  const auto not_added = [&](const std::string& path) {
    // A folder that cannot be written loses the line, not the batch.
    AppendErrorList(request.error_folder, path);
    outcome.not_added = true;
  };
  const std::vector<std::string>& paths = request.paths;
  const std::size_t lanes = static_cast<std::size_t>(std::max(1, request.probes_at_once));
  // The batch is cut into runs of consecutive files, one FFmpeg run each, spread over the
  // lanes; a short batch gets short runs so that every lane has one.
  const std::size_t per_run =
      std::clamp<std::size_t>((paths.size() + lanes - 1) / lanes, 1, std::max<std::size_t>(1, request.files_per_probe));
  const std::size_t runs = (paths.size() + per_run - 1) / per_run;
  // Run r is probed in slot r % lanes; the slots are joined when they go, and an abort stops
  // their tools at once.
  std::vector<ProbeAhead> ahead(lanes);
  std::size_t next_run = 0;
  for (std::size_t index = 0; index < paths.size(); ++index) {
    const std::string& path = paths[index];
    const std::size_t run = index / per_run;
    // This run and the next ones are probed meanwhile; whether each file is taken is still
    // decided at its turn, below. One that is already turned down (the list filled since) is
    // not probed.
    for (next_run = std::max(next_run, run); next_run < std::min(runs, run + lanes) && abort.load() == 0; ++next_run) {
      std::vector<std::size_t> files;
      for (std::size_t k = next_run * per_run; k < std::min(paths.size(), (next_run + 1) * per_run); ++k) {
        if (!turned_down(paths[k])) files.push_back(k);
      }
      ahead[next_run % lanes].Start(next_run, std::move(files), request, per_run, abort);
    }
    observer.FileStarted(path);
    observer.Report(Stage::kProbing);
    // Shown while its probe is waited for, as it would be shown while it ran.
    ProbeOutcome* const probed_ahead = ahead[run % lanes].Take(run, index);
    ProbedFile probed;
    int verdict = VERDICT_FAILURE;
    if (!turned_down(path)) {
      if (probed_ahead != nullptr) {
        probed_ahead->events.Replay(observer);
        verdict = probed_ahead->verdict;
        probed = std::move(probed_ahead->probed);
      } else {
        verdict = ProbeFile(request.ffmpeg, path, observer, abort, &probed);
      }
      if (verdict != VERDICT_SUCCESS) observer.Report(Stage::kProbeFailed);
    }
    if (verdict != VERDICT_SUCCESS) {
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

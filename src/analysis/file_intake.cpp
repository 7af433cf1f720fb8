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

// A file probed ahead of its turn on a thread of its own. What the probe reports waits until
// the files before it are through, and is then told as if the probe ran at that moment.
struct ProbeAhead {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void Start(std::size_t index, const std::string& ffmpeg, const std::string& path, const std::atomic<int>& abort) {
    events = DeferredObserver{};
    probed = {};
    verdict = VERDICT_FAILURE;
    try {
      thread = std::jthread([this, &ffmpeg, &path, &abort] { verdict = ProbeFile(ffmpeg, path, events, abort, &probed); });
      file = index;
    } catch (const std::system_error&) {
      // No thread to be had: the file is probed at its turn, as it would be without threads.
    }
  }

  // Waits for the probe of file `index`, if it was started ahead: true then. The slot is free
  // after this, also when its probe is not used (a file the list has no room for by now).
  bool Finish(std::size_t index) {
    if (thread.joinable()) thread.join();
    const bool mine = file == index;
    file = kNone;
    return mine;
  }

  std::size_t file = kNone;
  DeferredObserver events;
  ProbedFile probed;
  int verdict = VERDICT_FAILURE;
  // Last, so that it is joined before what its probe writes goes.
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
  // File k's probe ahead runs in slot k % lanes; the slots are joined when they go, and an
  // abort stops their tools at once.
  std::vector<ProbeAhead> ahead(lanes);
  std::size_t next_ahead = 1;
  for (std::size_t index = 0; index < paths.size(); ++index) {
    const std::string& path = paths[index];
    // The files after this one are probed meanwhile; whether each is taken is still decided at
    // its turn, below. One that is already turned down (the list filled since) is not started.
    for (next_ahead = std::max(next_ahead, index + 1); next_ahead < std::min(paths.size(), index + lanes);
         ++next_ahead) {
      if (abort.load() == 0 && !turned_down(paths[next_ahead])) {
        ahead[next_ahead % lanes].Start(next_ahead, request.ffmpeg, paths[next_ahead], abort);
      }
    }
    observer.FileStarted(path);
    observer.Report(Stage::kProbing);
    // Shown while its probe is waited for, as it would be shown while it ran.
    ProbeAhead& slot = ahead[index % lanes];
    const bool probed_ahead = slot.Finish(index);
    ProbedFile probed;
    int verdict = VERDICT_FAILURE;
    if (!turned_down(path)) {
      if (probed_ahead) {
        slot.events.Replay(observer);
        verdict = slot.verdict;
        probed = std::move(slot.probed);
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

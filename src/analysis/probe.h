// The probe: FFmpeg is run on files and what it prints about their streams is read back.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/analysis_result.h"
#include "tools/deferred_observer.h"
#include "tools/run_observer.h"

namespace clipwright {

// What the probe found out about a file.
struct ProbedFile {
  std::string path;
  std::vector<std::string> stream_lines;  // one per stream of the file, at most STREAM_CAPACITY
  double duration = 0;                    // seconds; 0 when FFmpeg gave none
  int video_kind = 0;                     // 0 no video, 1 video after "isomiso2", 2 other video
  // The file as it was when it was probed; a run later finds out whether it is still that file.
  std::optional<platform::FileStamp> stamp;
};

// Extensions the volume page accepts (AACGain works on these only).
bool IsVolumeExtension(const std::string& path);

// Probes `path` with FFmpeg into *probed; a RunVerdict (success only when the file has a stream).
int ProbeFile(const std::string& ffmpeg, const std::string& path, RunObserver& observer,
              const std::atomic<int>& abort, ProbedFile* probed);

// One file's probe, with what it reports kept for the file's turn.
struct ProbeOutcome {
  DeferredObserver events;
  ProbedFile probed;  // filled on success only
  int verdict = VERDICT_FAILURE;
};

// The most files one FFmpeg run probes. Starting FFmpeg costs far more than opening a file (ten
// times more under Wine), so a batch gives it many inputs at once; it stays small enough that
// the first results come soon.
inline constexpr std::size_t kFilesPerProbe = 16;

// Probes `paths` in order with as few FFmpeg runs as they take, each given at most `per_run`
// inputs. FFmpeg lists each input as it opens it and stops at the first it cannot open; the
// files after that one go to the next run. Each outcome is what ProbeFile gives for its file alone.
std::vector<ProbeOutcome> ProbeFiles(const std::string& ffmpeg, const std::vector<std::string>& paths,
                                     std::size_t per_run, const std::atomic<int>& abort);

}  // namespace clipwright

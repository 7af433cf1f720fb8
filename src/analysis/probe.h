// The probe: FFmpeg is run on one file and what it prints about the file's streams is read back.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
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

}  // namespace clipwright

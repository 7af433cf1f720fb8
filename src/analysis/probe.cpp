#include "analysis/probe.h"

#include <algorithm>

#include "common/ascii_case.h"
#include "common/limits.h"
#include "platform/paths.h"
#include "tools/command_line.h"
#include "tools/output_scanner.h"

namespace clipwright {

bool IsVolumeExtension(const std::string& path) {
  const std::string extension = platform::SplitPath(path).extension;
  for (const char* accepted : {".mp4", ".mp3", ".m4a", ".aac"}) {
    if (EqualsIgnoringCase(extension, accepted)) return true;
  }
  return false;
}

int ProbeFile(const std::string& ffmpeg, const std::string& path, RunObserver& observer,
              const std::atomic<int>& abort, ProbedFile* probed) {
  // Taken first: a file that changes while it is probed is one that has changed.
  const std::optional<platform::FileStamp> stamp = platform::StampOf(path);
  // Not held to the job commands' limit: a probe is never shown or logged.
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -i").AddQuoted(path);
  AnalysisResult result;
  const int verdict = ScanOutput(result, observer, abort, command.Text(), SCAN_PROBE, nullptr, 0);
  if (verdict != VERDICT_SUCCESS) return verdict;
  probed->path = path;
  const std::size_t count = std::min<std::size_t>(result.stream_lines.size(), STREAM_CAPACITY);
  probed->stream_lines.assign(result.stream_lines.begin(), result.stream_lines.begin() + static_cast<std::ptrdiff_t>(count));
  probed->duration = result.duration;
  probed->video_kind = result.video_kind;
  probed->stamp = stamp;
  return VERDICT_SUCCESS;
}

}  // namespace clipwright

// What the tests of whole runs with the real FFmpeg share: inputs as the pages list them, the
// split page's cuts after its scans, and a look at the outputs.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/split_cuts.h"
#include "jobs/run_requests.h"
#include "support/recording_observer.h"

namespace clipwright::testing {

// `path` as a page lists it after the probe: every stream chosen, and its play time.
InputFile Probed(const std::string& path);

// The cut from keyframe a to keyframe b of `path` (b may be the keyframe count: the end), as the
// split page makes it after its keyframe scan; `keyframes` gets the scan's keyframe frames.
SplitCut CutOf(const std::string& path, std::uint32_t a, std::uint32_t b, std::vector<std::uint32_t>* keyframes = nullptr);

// FFmpeg decodes the whole file without a single error.
bool Decodes(const std::string& path);

// Presses 中断 the moment `stage` is reported for the `occurrence`th time.
class AbortAt : public RecordingObserver {
 public:
  AbortAt(std::atomic<int>& abort, Stage stage, int occurrence = 1)
      : abort_(abort), stage_(stage), occurrence_(occurrence) {}
  void StageReached(const StageEvent& event) override;

 private:
  std::atomic<int>& abort_;
  Stage stage_;
  int occurrence_;
  int seen_ = 0;
};

}  // namespace clipwright::testing

// What a tool run reports while it runs: the live scan of the chunk just read, and the interval
// that limits it to once per half second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/run_observer.h"

namespace clipwright {

// Scans one chunk of output for the scan mode's live progress and reports what it finds: the
// tool's progress line, and for a job with a `duration` (0 = none) the predicted time.
void ShowLiveProgress(RunObserver& observer, int mode, std::string_view chunk, double duration);

// The predicted seconds of a job of a play time at a speed factor; none when the speed gives no
// usable prediction.
std::optional<double> PredictedSeconds(double duration, double speed);

// A live scan is due when more than half a second has passed since the last one, or since the
// start; ticks are milliseconds that wrap at 32 bits.
class ProgressInterval {
 public:
  explicit ProgressInterval(std::uint32_t start_tick) : last_(start_tick) {}
  // True when due; the interval then restarts at `now`.
  bool Due(std::uint32_t now);

 private:
  std::uint32_t last_;
};

}  // namespace clipwright

// What a tool run shows while it runs: the live scan of the chunk just read, and the interval
// that limits it to once per half second.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/dialog.h"

namespace clipwright {

// Scans one chunk of output for the scan mode's live progress and shows what it finds in the
// progress dialog (9501 the process line, 9502 the progress line). `duration` feeds the mode-1
// prediction (0 = none).
void ShowLiveProgress(Dialog& progress, int mode, std::string_view chunk, double duration);

// "ファイルを変換中です．．．[予測時間 hh:mm:ss.ss]" for a play time and a speed factor; empty when
// the speed gives no usable prediction.
std::string PredictionText(double duration, double speed);

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

// What the tool runner reads while a tool runs: the live progress of every mode, with any play
// time, and FFmpeg's overwrite question. The first byte chooses the mode, the next eight the
// play time. A predicted time is always one the window can show.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz_input.h"
#include "support/recording_observer.h"
#include "tools/live_progress.h"
#include "tools/tool_runner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  clipwright::fuzz::Input input(data, size);
  const int mode = input.Byte() % 7;
  std::uint8_t duration_bytes[sizeof(double)];
  for (std::uint8_t& byte : duration_bytes) byte = input.Byte();
  double duration = 0;
  std::memcpy(&duration, duration_bytes, sizeof duration);
  clipwright::testing::RecordingObserver observer;
  clipwright::ShowLiveProgress(observer, mode, input.Rest(), duration);
  for (const double seconds : observer.predictions()) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds / 3600 >= 4294967296.0) __builtin_trap();
  }
  clipwright::AsksToOverwrite(input.Rest());
  return 0;
}

// What the tool runner reads while a tool runs: the live progress of every mode, with any play
// time, and FFmpeg's overwrite question. The first byte chooses the mode, the next eight the
// play time.
#include <cstdint>
#include <cstring>

#include "fuzz_input.h"
#include "win32/fake_dialog.h"
#include "tools/live_progress.h"
#include "tools/tool_runner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  clipwright::fuzz::Input input(data, size);
  const int mode = input.Byte() % 7;
  std::uint8_t duration_bytes[sizeof(double)];
  for (std::uint8_t& byte : duration_bytes) byte = input.Byte();
  double duration = 0;
  std::memcpy(&duration, duration_bytes, sizeof duration);
  clipwright::testing::FakeDialog progress;
  clipwright::ShowLiveProgress(progress, mode, input.Rest(), duration);
  clipwright::AsksToOverwrite(input.Rest());
  return 0;
}

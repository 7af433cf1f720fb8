// The output scanner in every mode, on any bytes a tool may print. The first byte chooses the
// mode, the second how the tool ended; the rest is the capture.
#include <cstdint>

#include "fuzz_input.h"
#include "tools/analysis_result.h"
#include "tools/run_observer.h"
#include "tools/scan_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  clipwright::fuzz::Input input(data, size);
  const int mode = input.Byte() % 7;  // 6: a mode that does not exist
  const std::uint8_t ending = input.Byte();
  clipwright::AnalysisResult result;
  if (ending != 0xFF) result.exit_code = ending;
  result.capture = std::string(input.Rest());
  clipwright::NullObserver nobody;
  int gain = clipwright::GAIN_NOT_FOUND;
  const int verdict = clipwright::ScanCapture(result, nobody, mode, &gain);
  if (verdict != 0 && verdict != 1) __builtin_trap();
  // A job or an AACGain run never succeeds on what the tool printed alone.
  if (mode != clipwright::SCAN_PROBE && mode != clipwright::SCAN_KEYFRAMES &&
      mode != clipwright::SCAN_AUDIO_FRAMES && verdict == 1 && result.exit_code != 0) {
    __builtin_trap();
  }
  return 0;
}

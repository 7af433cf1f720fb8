// The frame log scanner (keyframes with their pictures, audio frames) on any bytes. The first
// byte chooses the log.
#include <cstdint>

#include "fuzz_input.h"
#include "tools/analysis_result.h"
#include "tools/run_observer.h"
#include "tools/scan_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  clipwright::fuzz::Input input(data, size);
  const bool keyframes = input.Byte() % 2 == 0;
  clipwright::AnalysisResult result;
  result.capture = std::string(input.Rest());
  clipwright::NullObserver nobody;
  const int verdict = keyframes ? clipwright::ScanKeyframeLog(result, nobody)
                                : clipwright::ScanAudioFrameLog(result, nobody);
  if (verdict == 1) {
    // What the split page reads afterwards must be there: one time per frame and the end entry,
    // and keyframes that name frames within it.
    if (result.frame_times.size() != static_cast<std::size_t>(result.last_frame_index) + 1) __builtin_trap();
    if (keyframes) {
      if (result.keyframe_frames.size() != static_cast<std::size_t>(result.keyframe_count) + 1) __builtin_trap();
      if (result.keyframe_images.size() != result.keyframe_count) __builtin_trap();
      for (const std::uint32_t frame : result.keyframe_frames) {
        if (frame > result.last_frame_index) __builtin_trap();
      }
    }
  }
  return 0;
}

#include "jobs/progress_title.h"

#include <cstdio>

namespace clipwright {

std::string ElapsedTitle(ProgressVariant variant, std::uint32_t elapsed_ms) {
  const std::uint32_t seconds = elapsed_ms / 1000;
  const unsigned hours = seconds / 3600;
  const unsigned minutes = seconds % 3600 / 60;
  const unsigned rest = seconds % 60;
  // The FFmpeg title has full-width brackets, the AACGain title ASCII ones.
  const char* format = variant == ProgressVariant::kVolume ? "AACGain [経過時間 %02u:%02u:%02u]"
                                                           : "FFmpeg ［経過時間 %02u:%02u:%02u］";
  char title[64];
  std::snprintf(title, sizeof title, format, hours, minutes, rest);
  return title;
}

}  // namespace clipwright

// The progress dialog's variants and the elapsed time shown in its title.
#pragma once

#include <cstdint>
#include <string>

namespace clipwright {

enum class ProgressVariant {
  kAnalysis,  // files being analysed; the worker ends the dialog itself
  kJob,       // FFmpeg jobs; the user closes the dialog after the summary
  kVolume,    // the AACGain job; likewise, titled "AACGain"
};

// "FFmpeg ［経過時間 01:05:07］" (analysis, jobs) or "AACGain [経過時間 01:05:07]" (volume) for the
// whole seconds of `elapsed_ms`. Hours above 99 print with more digits.
std::string ElapsedTitle(ProgressVariant variant, std::uint32_t elapsed_ms);

}  // namespace clipwright

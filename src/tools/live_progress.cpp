#include "tools/live_progress.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "tools/analysis_result.h"
#include "tools/scan_text.h"
#include "tools/tool_runner.h"

namespace clipwright {
namespace {

using scan::Find;
using scan::npos;
using scan::Span;
using scan::StartsAt;

// The speed text between "speed=" and "x" that still gives a prediction; a longer one ("N/A"
// followed by the next line, say) gives none.
constexpr std::size_t kSpeedTextLimit = 7;

void ShowJobProgress(RunObserver& observer, std::string_view chunk, double duration) {
  const std::size_t marker = std::min(Find(chunk, "frame=", 0), Find(chunk, "size=", 0));
  if (marker == npos) return;
  // A later "speed=" or marker cannot have an "x" after it when this one has none.
  const std::size_t speed = Find(chunk, "speed=", marker);
  if (speed == npos) return;
  const std::size_t x = Find(chunk, "x", speed + 6);
  if (x == npos) return;
  const std::string_view speed_text = Span(chunk, speed + 6, x);
  if (duration != 0 && speed_text.size() <= kSpeedTextLimit) {
    if (const auto seconds = PredictedSeconds(duration, scan::ReadDecimal(speed_text))) observer.PredictedTime(*seconds);
  }
  ShowOutputSpan(observer, Span(chunk, marker, x + 2));
}

void ShowKeyframeProgress(RunObserver& observer, std::string_view chunk) {
  const std::size_t bracket = Find(chunk, "[", 0);
  const std::size_t line_feed = Find(chunk, "\n", bracket == npos ? npos : bracket + 1);
  if (line_feed != npos) ShowOutputSpan(observer, Span(chunk, bracket, line_feed + 1));
}

void ShowAudioFrameProgress(RunObserver& observer, std::string_view chunk) {
  const std::size_t filter = Find(chunk, "[Parsed_", 0);
  const std::size_t pts = Find(chunk, " pts:", filter == npos ? npos : filter + 8);
  if (pts != npos) ShowOutputSpan(observer, Span(chunk, filter, pts + 1));
}

void ShowGainProgress(RunObserver& observer, std::string_view chunk) {
  constexpr std::string_view kAnalyzed = " bytes analyzed";
  constexpr std::string_view kWritten = " bytes written";
  scan::ForwardFinder written(chunk, kWritten);
  bool final_stage_shown = false;
  for (std::size_t p = 0; p < chunk.size(); ++p) {
    if (chunk[p] != ' ') continue;  // every marker begins with a blank
    if (StartsAt(chunk, p, kAnalyzed)) {
      ShowOutputSpan(observer, Span(chunk, 0, p + kAnalyzed.size() + 1));
      return;
    }
    if (StartsAt(chunk, p, kWritten)) {
      ShowOutputSpan(observer, Span(chunk, 0, p + kWritten.size() + 1));
      return;
    }
    if (!final_stage_shown && (StartsAt(chunk, p, " 100%") || StartsAt(chunk, p, " 99%") || StartsAt(chunk, p, " 98%")) &&
        written.From(p + 4) != npos) {
      observer.Report(Stage::kGainFinalStage);
      final_stage_shown = true;
    }
  }
}

}  // namespace

std::optional<double> PredictedSeconds(double duration, double speed) {
  if (!(speed > 0)) return std::nullopt;
  const double expected = duration / speed;
  // Hours are shown as a 32-bit count.
  if (!std::isfinite(expected) || expected < 0 || expected / 3600 >= 4294967296.0) return std::nullopt;
  return expected;
}

void ShowLiveProgress(RunObserver& observer, int mode, std::string_view chunk, double duration) {
  switch (mode) {
    case SCAN_JOB:
      ShowJobProgress(observer, chunk, duration);
      break;
    case SCAN_KEYFRAMES:
      ShowKeyframeProgress(observer, chunk);
      break;
    case SCAN_AUDIO_FRAMES:
      ShowAudioFrameProgress(observer, chunk);
      break;
    case SCAN_GAIN_ANALYSE:
    case SCAN_GAIN_APPLY:
      ShowGainProgress(observer, chunk);
      break;
    default:
      break;  // the probe shows nothing while it runs
  }
}

bool ProgressInterval::Due(std::uint32_t now) {
  if (static_cast<std::uint32_t>(now - last_) / 1000.0 <= 0.5) return false;
  last_ = now;
  return true;
}

}  // namespace clipwright

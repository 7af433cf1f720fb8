#include "tools/live_progress.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/control_ids.h"
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

void ShowJobProgress(Dialog& progress, std::string_view chunk, double duration) {
  const std::size_t marker = std::min(Find(chunk, "frame=", 0), Find(chunk, "size=", 0));
  if (marker == npos) return;
  // A later "speed=" or marker cannot have an "x" after it when this one has none.
  const std::size_t speed = Find(chunk, "speed=", marker);
  if (speed == npos) return;
  const std::size_t x = Find(chunk, "x", speed + 6);
  if (x == npos) return;
  const std::string_view speed_text = Span(chunk, speed + 6, x);
  if (duration != 0 && speed_text.size() <= kSpeedTextLimit) {
    const std::string prediction = PredictionText(duration, scan::ReadDecimal(speed_text));
    if (!prediction.empty()) progress.SetText(IDC_PROGRESS_PROCESS, prediction);
  }
  ShowOutputSpan(progress, Span(chunk, marker, x + 2));
}

void ShowKeyframeProgress(Dialog& progress, std::string_view chunk) {
  const std::size_t bracket = Find(chunk, "[", 0);
  const std::size_t line_feed = Find(chunk, "\n", bracket == npos ? npos : bracket + 1);
  if (line_feed != npos) ShowOutputSpan(progress, Span(chunk, bracket, line_feed + 1));
}

void ShowAudioFrameProgress(Dialog& progress, std::string_view chunk) {
  const std::size_t filter = Find(chunk, "[Parsed_", 0);
  const std::size_t pts = Find(chunk, " pts:", filter == npos ? npos : filter + 8);
  if (pts != npos) ShowOutputSpan(progress, Span(chunk, filter, pts + 1));
}

void ShowGainProgress(Dialog& progress, std::string_view chunk) {
  constexpr std::string_view kAnalyzed = " bytes analyzed";
  constexpr std::string_view kWritten = " bytes written";
  scan::ForwardFinder written(chunk, kWritten);
  bool final_stage_shown = false;
  for (std::size_t p = 0; p < chunk.size(); ++p) {
    if (chunk[p] != ' ') continue;  // every marker begins with a blank
    if (StartsAt(chunk, p, kAnalyzed)) {
      ShowOutputSpan(progress, Span(chunk, 0, p + kAnalyzed.size() + 1));
      return;
    }
    if (StartsAt(chunk, p, kWritten)) {
      ShowOutputSpan(progress, Span(chunk, 0, p + kWritten.size() + 1));
      return;
    }
    if (!final_stage_shown && (StartsAt(chunk, p, " 100%") || StartsAt(chunk, p, " 99%") || StartsAt(chunk, p, " 98%")) &&
        written.From(p + 4) != npos) {
      progress.SetText(IDC_PROGRESS_PROCESS, "MP3ゲイン適用の最終処理を行っています．．．［これにはかなり時間が掛かります］");
      final_stage_shown = true;
    }
  }
}

// printf's "%05.2f" without the locale.
std::string FormatSeconds(double seconds) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, seconds, std::chars_format::fixed, 2);
  std::string text(digits, result.ptr);
  if (text.size() < 5) text.insert(0, 5 - text.size(), '0');
  return text;
}

std::string TwoDigits(unsigned value) {
  std::string text = std::to_string(value);
  if (text.size() < 2) text.insert(0, 1, '0');
  return text;
}

}  // namespace

std::string PredictionText(double duration, double speed) {
  if (!(speed > 0)) return {};
  const double expected = duration / speed;
  if (!std::isfinite(expected) || expected < 0 || expected / 3600 >= 4294967296.0) return {};
  const auto hours = static_cast<unsigned>(expected / 3600);
  const double rest = expected - hours * 3600.0;
  const auto minutes = static_cast<unsigned>(rest / 60);
  const double seconds = std::max(0.0, rest - minutes * 60.0);
  return "ファイルを変換中です．．．[予測時間 " + TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" +
         FormatSeconds(seconds) + "]";
}

void ShowLiveProgress(Dialog& progress, int mode, std::string_view chunk, double duration) {
  switch (mode) {
    case SCAN_JOB:
      ShowJobProgress(progress, chunk, duration);
      break;
    case SCAN_KEYFRAMES:
      ShowKeyframeProgress(progress, chunk);
      break;
    case SCAN_AUDIO_FRAMES:
      ShowAudioFrameProgress(progress, chunk);
      break;
    case SCAN_GAIN_ANALYSE:
    case SCAN_GAIN_APPLY:
      ShowGainProgress(progress, chunk);
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

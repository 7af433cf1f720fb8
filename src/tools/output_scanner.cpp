#include "tools/output_scanner.h"

#include <limits>

#include "common/limits.h"
#include "platform/text.h"
#include "tools/scan_capture.h"
#include "tools/scan_text.h"
#include "tools/tool_runner.h"

namespace clipwright {
namespace {

using scan::npos;
using scan::Span;
using scan::StartsAt;

// Mode 0. Streams beyond STREAM_CAPACITY are neither stored nor shown; a longer line is cut to
// what a stream line can hold, because its start names the stream.
int ScanProbe(AnalysisResult& result, RunObserver& observer) {
  observer.Report(Stage::kReadingStreams);
  const std::string_view out = result.capture;
  scan::ForwardFinder line_feeds(out, "\n");
  bool brand_seen = false;
  std::size_t p = 0;
  while (p < out.size()) {
    if (!brand_seen && StartsAt(out, p, "isomiso2")) {
      brand_seen = true;
    } else if (result.duration == 0 && StartsAt(out, p, "Duration: ")) {
      // hh:mm:ss.cc; "N/A" reads as 0 and leaves the field open for a later line.
      const auto two = [&](std::size_t at) { return static_cast<double>(scan::ReadInteger(Span(out, at, at + 2))); };
      result.duration = two(p + 10) * 3600 + two(p + 13) * 60 + two(p + 16) + two(p + 19) / 100;
    } else if (StartsAt(out, p, "Stream #0:")) {
      const std::size_t line_feed = line_feeds.From(p);
      if (line_feed != npos) {
        std::size_t end = line_feed;
        if (end > p && out[end - 1] == '\r') --end;
        const std::string_view line = Span(out, p, end);
        if (result.stream_lines.size() < static_cast<std::size_t>(STREAM_CAPACITY)) {
          std::string text = platform::DecodeToolOutput(line);
          std::erase(text, '\r');
          text = std::string(scan::LimitUtf16(text, PATH_CAPACITY - 1));
          observer.ToolOutput(text);
          result.stream_lines.push_back(std::move(text));
        }
        if (result.video_kind == 0 && line.find(": Video: ", 10) != npos) {
          result.video_kind = brand_seen ? 1 : 2;
          p = line_feed + 1;
          continue;
        }
      }
    }
    ++p;
  }
  return result.stream_lines.empty() ? 0 : 1;
}

// Mode 1. Every matching line is looked at, and the progress line ends up showing the last one;
// only that one is sent to the window. What FFmpeg printed succeeds only with its exit code 0.
int ScanJob(AnalysisResult& result, RunObserver& observer) {
  const std::string_view out = result.capture;
  scan::ForwardFinder line_ends(out, "\r\n", scan::ForwardFinder::kAnyOf);
  int verdict = 0;
  std::string_view shown;
  bool any_shown = false;
  for (std::size_t p = 0; p < out.size(); ++p) {
    const char c = out[p];
    if (c != 's' && c != 'v' && c != 'C' && c != 'E') continue;
    const bool produced = StartsAt(out, p, "size=") || StartsAt(out, p, "video");
    if (!produced && !StartsAt(out, p, "Could not") && !StartsAt(out, p, "Error")) continue;
    if (produced) verdict = 1;
    const std::size_t end = line_ends.From(p + 1);
    if (end != npos) {
      shown = Span(out, p, end + 1);
      any_shown = true;
    }
  }
  if (any_shown) ShowOutputSpan(observer, shown);
  return verdict == 1 && result.exit_code == 0 ? 1 : 0;
}

// Modes 4 and 5: whichever line comes first of the recommendation (mode 4), "done" and an error.
// Lines are looked at whole: a file name that holds "done" or "Error" decides nothing. AACGain
// also has to end with exit code 0.
int ScanGain(AnalysisResult& result, RunObserver& observer, int mode, int* gain) {
  constexpr std::string_view kRecommendation = "Recommended \"Track\" mp3 gain change: ";
  const std::string_view out = result.capture;
  int verdict = 0;
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t end = scan::FindLineEnd(out, start);
    const std::string_view line = Span(out, start, end == npos ? out.size() : end);
    if (mode == SCAN_GAIN_ANALYSE && line.starts_with(kRecommendation)) {
      const std::int64_t value = scan::ReadInteger(line.substr(kRecommendation.size(), 9));
      const int recommended = static_cast<int>(value);  // nine characters always fit
      if (gain != nullptr) *gain = recommended;
      verdict = recommended == GAIN_NOT_FOUND ? 0 : 1;
      break;
    }
    if (line == "done") {
      ShowOutputSpan(observer, line);
      verdict = 1;
      break;
    }
    if (line.starts_with("Error")) {
      ShowOutputSpan(observer, Span(out, start, out.size()));
      break;
    }
    start = end == npos ? out.size() : end + 1;
  }
  return verdict == 1 && result.exit_code == 0 ? 1 : 0;
}

}  // namespace

int ScanCapture(AnalysisResult& result, RunObserver& observer, int mode, int* gain) {
  if (result.capture.empty()) return 0;
  switch (mode) {
    case SCAN_PROBE:
      return ScanProbe(result, observer);
    case SCAN_JOB:
      return ScanJob(result, observer);
    case SCAN_KEYFRAMES:
      return ScanKeyframeLog(result, observer);
    case SCAN_AUDIO_FRAMES:
      return ScanAudioFrameLog(result, observer);
    case SCAN_GAIN_ANALYSE:
    case SCAN_GAIN_APPLY:
      return ScanGain(result, observer, mode, gain);
    default:
      return 0;
  }
}

int ScanOutput(AnalysisResult& result, RunObserver& observer, const std::atomic<int>& abort, std::string_view command,
               int mode, int* gain, double duration, const std::string& working_folder) {
  if (RunTool(result.capture, observer, abort, command, mode, duration, RunToolLimits{}, &result.exit_code,
              working_folder) == 0) {
    observer.Report(Stage::kToolNotStarted);
    return VERDICT_FAILURE;
  }
  if (abort.load() != 0) return VERDICT_ABORTED;
  return ScanCapture(result, observer, mode, gain);
}

}  // namespace clipwright

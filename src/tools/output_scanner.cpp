#include "tools/output_scanner.h"

#include <algorithm>
#include <limits>
#include <set>

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

// Mode 0. A stream row is a line of the input listing that begins, after its indent, with
// "Stream #0:<n>": tags, chapter titles and programs may print that text too, further on in their
// lines. A stream listed again (under each program of an MPEG-TS file) is one row. Streams beyond
// STREAM_CAPACITY are neither stored nor shown; a longer line is cut to what a stream line can
// hold, because its start names the stream.
int ScanProbe(AnalysisResult& result, RunObserver& observer) {
  observer.Report(Stage::kReadingStreams);
  const std::string_view out = result.capture;
  bool brand_seen = false;
  std::set<int> listed;
  for (std::size_t start = 0; start < out.size();) {
    const std::size_t feed = scan::Find(out, "\n", start);
    std::string_view line = Span(out, start, feed == npos ? out.size() : feed);
    start = feed == npos ? out.size() : feed + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // The brand list of an MP4 file comes before its streams.
    if (!brand_seen && line.find("isomiso2") != npos) brand_seen = true;
    const std::string_view content = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
    if (result.duration == 0 && content.starts_with("Duration: ")) {
      // hh:mm:ss.cc; "N/A" reads as 0 and leaves the field open for a later line.
      const auto two = [&](std::size_t at) { return static_cast<double>(scan::ReadInteger(Span(content, at, at + 2))); };
      result.duration = two(10) * 3600 + two(13) * 60 + two(16) + two(19) / 100;
      continue;
    }
    // A stream line without its line end (the output ended inside it) may be cut short.
    const std::optional<int> number = feed == npos ? std::nullopt : StreamNumberOf(content);
    if (!number || !listed.insert(*number).second) continue;
    if (result.stream_lines.size() < static_cast<std::size_t>(STREAM_CAPACITY)) {
      std::string text = platform::DecodeToolOutput(content);
      text = std::string(scan::LimitUtf16(text, PATH_CAPACITY - 1));
      observer.ToolOutput(text);
      result.stream_lines.push_back(std::move(text));
    }
    if (result.video_kind == 0 && content.find(": Video: ", 10) != npos) result.video_kind = brand_seen ? 1 : 2;
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

std::optional<int> StreamNumberOf(std::string_view line) {
  constexpr std::string_view kStream = "Stream #0:";
  if (!line.starts_with(kStream)) return std::nullopt;
  std::size_t end = kStream.size();
  while (end < line.size() && end < kStream.size() + 9 && line[end] >= '0' && line[end] <= '9') ++end;
  if (end == kStream.size()) return std::nullopt;
  return static_cast<int>(scan::ReadInteger(line.substr(kStream.size(), end - kStream.size())));
}

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

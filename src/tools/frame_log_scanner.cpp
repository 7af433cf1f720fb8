// The frame log modes of the output scanner: FFmpeg's select-filter debug log (keyframes and
// their pictures) and its ashowinfo lines (audio frames).
#include <cstdint>
#include <optional>

#include "common/limits.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tools/scan_capture.h"
#include "tools/scan_text.h"

namespace clipwright {
namespace {

using scan::Find;
using scan::ForwardFinder;
using scan::npos;
using scan::Span;

// Frame lines sit at least this far apart, so the walk jumps this far after each one.
constexpr std::size_t kFrameLineStep = 41;
// A file of more frames is refused as a whole: a list cut short would put the end of the file
// at the wrong place.
constexpr std::uint64_t kFrameLimit = FRAME_CAPACITY;
// How often the audio frame number is shown while the scan runs.
constexpr std::uint32_t kFrameNumberIntervalMs = 100;

// Seconds per pts unit from the first "Setting 'time_base' to value 'num/den'"; 0 if it is
// missing or cut short, or its denominator is 0.
double ReadTimeBase(std::string_view out) {
  constexpr std::string_view kSetting = "Setting 'time_base' to value '";
  const std::size_t setting = Find(out, kSetting, 0);
  if (setting == npos) return 0;
  const std::size_t numerator = setting + kSetting.size();
  const std::size_t slash = Find(out, "/", numerator);
  if (slash == npos) return 0;
  const std::size_t quote = Find(out, "'", slash + 1);
  if (quote == npos) return 0;
  const auto num = static_cast<std::uint32_t>(scan::ReadInteger(Span(out, numerator, slash)));
  const auto den = static_cast<std::uint32_t>(scan::ReadInteger(Span(out, slash + 1, quote)));
  return den == 0 ? 0 : static_cast<double>(num) / static_cast<double>(den);
}

void StoreFrameTime(AnalysisResult& result, std::size_t index, double seconds) {
  if (result.frame_times.size() <= index) result.frame_times.resize(index + 1);
  result.frame_times[index] = seconds;
}

// The fields of one select-filter line "] n:N.0 pts:P.0 t:T key:K", each present only when the
// line holds it and the ones before it.
struct FrameLine {
  bool numbered = false;  // n was read; nothing else was without it
  std::int64_t n = 0;
  std::optional<std::int64_t> pts;
  std::optional<double> time;
  bool key = false;
  std::size_t after_key = npos;  // where the line's picture name is looked for
};

class FrameLineReader {
 public:
  explicit FrameLineReader(std::string_view out)
      : out_(out), dots_(out, "."), pts_fields_(out, " pts:"), time_fields_(out, " t:"), key_fields_(out, " key:") {}

  // The line whose "] n:" begins at p.
  FrameLine Read(std::size_t p) {
    FrameLine line;
    const std::size_t dot = dots_.From(p + 4);
    if (dot == npos) return line;
    line.numbered = true;
    line.n = scan::ReadInteger(Span(out_, p + 4, dot));
    const std::size_t pts_field = pts_fields_.From(dot);
    const std::size_t time_field = pts_field == npos ? npos : time_fields_.From(pts_field + 5);
    if (time_field == npos) return line;
    line.pts = scan::ReadInteger(Span(out_, pts_field + 5, time_field));
    const std::size_t key_field = key_fields_.From(time_field + 3);
    if (key_field == npos) return line;
    line.time = scan::ReadDecimal(Span(out_, time_field + 3, key_field));
    line.after_key = key_field + 5;
    line.key = line.after_key < out_.size() && out_[line.after_key] == '1';
    return line;
  }

 private:
  std::string_view out_;
  ForwardFinder dots_;
  ForwardFinder pts_fields_;
  ForwardFinder time_fields_;
  ForwardFinder key_fields_;
};

}  // namespace

int ScanKeyframeLog(AnalysisResult& result, RunObserver& observer) {
  // FFmpeg has finished; what is left cannot be interrupted.
  observer.AbortAllowed(false);
  observer.Report(Stage::kReadingVideoFrames);
  const std::string_view out = result.capture;
  const double time_base = ReadTimeBase(out);

  // The frame list begins at the first keyframe: no cut can start before it, and what a decoder
  // shows there differs (H.264's drops those frames, HEVC's shows stand-ins for the pictures they
  // refer to, an MP4 edit list may start between keyframes). Without a keyframe, every frame
  // counts.
  std::size_t begin = 0;
  {
    FrameLineReader lines(out);
    for (std::size_t p = Find(out, "] n:", 0); p != npos; p = Find(out, "] n:", p + kFrameLineStep)) {
      if (lines.Read(p).key) {
        begin = p;
        break;
      }
    }
  }

  FrameLineReader lines(out);
  ForwardFinder openings(out, "Opening '");
  ForwardFinder writings(out, "' for writing");
  bool first_line = true;
  bool broken = false;
  std::int64_t first_n = 0;
  std::int64_t last_n = -1;
  // 64 bits: a stream at 1/90000 passes 2^32 ticks after about 13 hours.
  std::int64_t last_pts = 0;
  std::int64_t previous_pts = 0;

  for (std::size_t p = Find(out, "] n:", begin); p != npos; p = Find(out, "] n:", p + kFrameLineStep)) {
    const FrameLine line = lines.Read(p);
    if (!line.numbered) continue;
    if (first_line) first_n = line.n;
    // A number that does not go up (FFmpeg counting again, or a garbled log) would leave
    // keyframes past the end of the frame times.
    if (line.n < first_n || (!first_line && line.n <= last_n)) {
      broken = true;
      break;
    }
    // Unsigned: the numbers of a garbled log may lie further apart than 63 bits reach.
    const std::uint64_t n = static_cast<std::uint64_t>(line.n) - static_cast<std::uint64_t>(first_n);
    if (n >= kFrameLimit) {
      result.too_many_frames = true;
      return 0;
    }
    last_n = line.n;
    result.last_frame_index = static_cast<std::uint32_t>(n);
    if (!line.pts) {
      first_line = false;
      continue;
    }
    previous_pts = last_pts;
    last_pts = *line.pts;
    if (!first_line && last_pts == 0) {
      broken = true;
      continue;
    }
    if (!line.time) {
      first_line = false;
      continue;
    }
    StoreFrameTime(result, static_cast<std::size_t>(n), *line.time);
    if (!first_line && *line.time == 0) {
      broken = true;
      continue;
    }
    if (line.key) {
      // The picture of this keyframe is the first one written after its select line. A path
      // longer than a path can be is not kept: a cut one would name another file.
      const std::size_t opening = openings.From(line.after_key);
      const std::size_t writing = opening == npos ? npos : writings.From(opening + 9);
      std::string path;
      if (writing != npos) path = platform::DecodeToolOutput(Span(out, opening + 9, writing));
      if (platform::Utf16Length(path) > static_cast<std::size_t>(PATH_CAPACITY - 1)) path.clear();
      result.keyframe_frames.resize(result.keyframe_count);
      result.keyframe_frames.push_back(static_cast<std::uint32_t>(n));
      result.keyframe_images.resize(result.keyframe_count);
      result.keyframe_images.push_back(std::move(path));
      ++result.keyframe_count;
    }
    first_line = false;
  }

  if (result.last_frame_index == 0 || !(time_base > 0) || broken) return 0;
  // One entry past the last frame: its end, one frame length after its start.
  ++result.last_frame_index;
  // In doubles: timestamps near the ends of 64 bits must not overflow.
  const double end_pts = 2 * static_cast<double>(last_pts) - static_cast<double>(previous_pts);
  StoreFrameTime(result, result.last_frame_index, end_pts * time_base);
  result.frame_times.resize(result.last_frame_index + 1);
  result.keyframe_frames.resize(result.keyframe_count);
  result.keyframe_frames.push_back(result.last_frame_index);
  return 1;
}

int ScanAudioFrameLog(AnalysisResult& result, RunObserver& observer) {
  observer.Report(Stage::kReadingAudioFrames);
  const std::string_view out = result.capture;

  // The sample rate of the stream line; a piece that is no rate at all keeps the default,
  // rather than dividing by 0.
  std::int64_t sample_rate = 44100;
  const std::size_t comma = Find(out, "), ", 0);
  const std::size_t hertz = comma == npos ? npos : Find(out, " Hz", comma + 3);
  if (hertz != npos && hertz - (comma + 3) <= 7) {
    const std::int64_t rate = scan::ReadInteger(Span(out, comma + 3, hertz));
    if (rate > 0) sample_rate = rate;
  }
  const double seconds_per_sample = 1.0 / static_cast<double>(sample_rate);

  // The frame number is shown as the scan goes, but not more often than the eye can follow.
  const auto show_frame_number = [&](std::uint32_t index) {
    observer.StageReached(StageEvent{Stage::kAudioFrameNumber, {}, index});
  };
  std::uint32_t shown_tick = platform::TickCount();
  std::int64_t shown_index = -1;

  ForwardFinder pts_times(out, " pts_time:");
  std::uint32_t index = 0;
  for (std::size_t p = Find(out, " pts:", 0); p != npos;) {
    const std::size_t pts_time = pts_times.From(p + 5);
    if (pts_time == npos) break;  // no later " pts:" can have one either
    if (index == FRAME_CAPACITY) {
      result.too_many_frames = true;
      return 0;
    }
    const std::uint32_t now = platform::TickCount();
    if (shown_index < 0 || now - shown_tick >= kFrameNumberIntervalMs) {
      show_frame_number(index);
      shown_index = index;
      shown_tick = now;
    }
    const auto pts = static_cast<double>(scan::ReadInteger(Span(out, p + 5, pts_time)));
    StoreFrameTime(result, index, index == 0 ? 0 : seconds_per_sample * pts);
    ++index;
    p = Find(out, " pts:", pts_time + 6);
  }
  if (index == 0) return 0;
  result.last_frame_index = index - 1;
  if (shown_index != result.last_frame_index) show_frame_number(result.last_frame_index);
  result.frame_times.resize(index);
  return 1;
}

}  // namespace clipwright

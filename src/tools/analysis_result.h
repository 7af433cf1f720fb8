// The record of one tool run and the numbers shared by every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clipwright {

// Which live progress scan and which final scan apply to a run.
enum ScanMode : int {
  SCAN_PROBE = 0,         // FFmpeg: stream information of an input file
  SCAN_JOB = 1,           // FFmpeg: a job that writes an output file
  SCAN_KEYFRAMES = 2,     // FFmpeg: keyframe scan
  SCAN_AUDIO_FRAMES = 3,  // FFmpeg: audio frame scan
  SCAN_GAIN_ANALYSE = 4,  // AACGain: recommended gain
  SCAN_GAIN_APPLY = 5,    // AACGain: gain application
};

// Verdict of every tool run.
enum RunVerdict : int {
  VERDICT_FAILURE = 0,
  VERDICT_SUCCESS = 1,
  VERDICT_ABORTED = 2,
};

// The gain output's value for "no recommendation found".
inline constexpr int GAIN_NOT_FOUND = 65535;

struct AnalysisResult {
  std::string capture;                    // the tool's output, raw bytes in arrival order
  std::optional<int> exit_code;           // how the tool ended; none when it was ended from outside
  std::vector<std::string> stream_lines;  // mode 0: one line per stream of input #0 (stream_count = size)
  double duration = 0;                    // mode 0: seconds; 0 = none found
  int video_kind = 0;                     // mode 0: 0 none, 1 video after "isomiso2", 2 other video
  std::uint32_t last_frame_index = 0;     // modes 2, 3: index of the last entry of frame_times
  std::vector<double> frame_times;        // modes 2, 3: seconds
  std::uint32_t keyframe_count = 0;       // mode 2
  std::vector<std::uint32_t> keyframe_frames;  // mode 2: keyframe_count entries, then the end marker
  std::vector<std::string> keyframe_images;    // mode 2: one path per keyframe (empty when none)
  bool too_many_frames = false;           // modes 2, 3: more frames than FRAME_CAPACITY; the result is 0
};

}  // namespace clipwright

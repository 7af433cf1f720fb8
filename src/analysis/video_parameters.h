// What a frame-precise cut must know of a video to encode pieces that join its copied GOPs: the
// codec and its profile, the pixel format, the time base, and the settings the encoder stored
// in the stream (x264 and x265 write theirs into it).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright {

struct VideoParameters {
  std::string codec;         // "h264" or "hevc"
  std::string profile;       // as the encoder names it: "high", "main10", …
  std::string pixel_format;  // "yuv420p", …
  std::string tag;           // the MP4 sample entry ("avc1", "hvc1", …); empty when none
  int timescale = 0;         // the stream's time base, ticks per second ("12800 tbn")
  // The encoder's settings that decide how the stream's parameter sets and GOPs look, as
  // "key=value" for the encoder's own parameter option; empty when the stream holds none.
  std::vector<std::string> settings;
  // The encoder stored that its GOPs are closed (every keyframe begins afresh); then how many
  // B-frames it puts between two references, and how many references a frame may use.
  struct ClosedGops {
    int b_frames = 0;
    int references = 1;
  };
  std::optional<ClosedGops> closed_gops;
};

// Reads them from the probe's stream line and the settings string in the file's first bytes.
// None when no piece could match the stream: another codec, a profile or pixel format the
// encoders do not make, interlaced video, or open GOPs (a copied GOP would lose the frames that
// lean on the one before it).
std::optional<VideoParameters> ReadVideoParameters(const std::string& path, std::string_view stream_line);

// The settings an encoder stored: x264's "key=value" words after "options: ", or x265's, where
// a bare word is on and "no-" before it is off. Empty when `bytes` holds none.
std::vector<std::pair<std::string, std::string>> EncoderSettingsIn(std::string_view bytes, std::string_view codec);

// The arguments that encode a piece as the source was encoded: "-c:v libx264 -profile:v high
// -pix_fmt yuv420p -x264-params …". High quality: a piece stands between copied frames.
std::vector<std::string> EncoderArguments(const VideoParameters& video);

}  // namespace clipwright

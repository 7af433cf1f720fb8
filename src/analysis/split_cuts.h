// Where FFmpeg reads a cut of the split page's file, and what the piece must then hold. An input
// seek with stream copy lands on the keyframe whose decode time it names, and the copy stops by
// decode time too; with B-frames these differ from the times the page shows.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/stream_model.h"

namespace clipwright {

struct SplitCut {
  double start_time = 0;  // shown start (the output's name carries it)
  double end_time = 0;    // shown end
  bool seek = false;      // FFmpeg seeks to seek_time before the input; else it reads from the start
  double seek_time = 0;
  double length = 0;      // how long the copy runs from the seek (from the start without one)
  // A video's piece holds exactly this many packets of the video, the first a keyframe: those the
  // source's listing has from the first keyframe up to the next. None when the listing did not tell.
  std::optional<std::int64_t> video_packets;
  // An audio file's piece plays this long, give or take one audio frame (audio_frame seconds).
  std::optional<double> audio_length;
  double audio_frame = 0;
};

// A video file's range moves by keyframes; an audio file's by audio frames.
inline bool KeyframeMode(const SplitPageState& split) { return split.video_kind != 0; }

// The start of frame `frame` in seconds; 0 past the frame list.
double FrameTime(const SplitPageState& split, std::uint32_t frame);
// The frame of keyframe ordinal k; the end of the video past the keyframes.
std::uint32_t KeyframeFrame(const SplitPageState& split, std::uint32_t k);

// The trackbars' maximum: the keyframe ordinal of the end marker, or the last audio frame.
std::uint32_t RangeMaximum(const SplitPageState& split);
// Frame data that a range can stand on: a video needs a keyframe, an audio file two frames.
bool HasSplitRange(const SplitPageState& split);

// The cut from keyframe a to keyframe b (ordinals; b may be keyframe_count, the end of the video).
SplitCut KeyframeCut(const SplitPageState& split, std::uint32_t a, std::uint32_t b);
// The cut of the page's range; nothing when the page has no range to cut (no file analysed, a
// video without keyframes, an audio file of one frame).
std::optional<SplitCut> SplitRangeCut(const SplitPageState& split);

}  // namespace clipwright

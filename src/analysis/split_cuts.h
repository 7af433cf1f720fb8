// Where FFmpeg reads a cut of the split page's file, and what the piece must then hold. An input
// seek with stream copy lands on the keyframe whose decode time it names, and the copy stops by
// decode time too; with B-frames these differ from the times the page shows.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/stream_model.h"
#include "tools/packet_listing.h"

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
// The trackbars step from keyframe to keyframe: a video, unless it is cut frame by frame.
inline bool StepsByKeyframe(const SplitPageState& split) { return KeyframeMode(split) && !split.by_frame; }

// The start of frame `frame` in seconds; 0 past the frame list.
double FrameTime(const SplitPageState& split, std::uint32_t frame);
// The frame of keyframe ordinal k; the end of the video past the keyframes.
std::uint32_t KeyframeFrame(const SplitPageState& split, std::uint32_t k);

// The trackbars' maximum: the keyframe ordinal of the end marker, or the frame count.
std::uint32_t RangeMaximum(const SplitPageState& split);
// Frame data that a range can stand on: a video needs a keyframe, an audio file two frames.
bool HasSplitRange(const SplitPageState& split);

// A range of a video cut at any frame: the frames before the first keyframe inside it and from
// the last keyframe inside it are encoded again, the whole GOPs between are copied.
struct FrameCut {
  std::uint32_t first_frame = 0;  // the range is first_frame … end_frame - 1
  std::uint32_t end_frame = 0;
  std::uint32_t copy_first = 0;   // the copied GOPs: copy_first … copy_end - 1; none when equal
  std::uint32_t copy_end = 0;
  double start_time = 0;          // shown start and end, as the output's name carries them
  double end_time = 0;
  double copy_start_time = 0;
  double copy_end_time = 0;
  double frame_step = 0;          // seconds from one frame to the next, on average
  SplitCut copy;                  // the copy of the GOPs, when there are any
  // Where the copied GOPs' packets stand in the source's listing, in decode order; none when
  // the listing did not tell.
  std::optional<std::int64_t> copy_first_packet;
  // The copied packets' checksums and keyframes, in decode order, when the scan kept them.
  std::vector<StreamPacket> copied_packets;
  bool copies() const { return copy_first < copy_end; }
};
// The cut of frames first … last of the split page's video; none outside its frames.
std::optional<FrameCut> FrameRangeCut(const SplitPageState& split, std::uint32_t first, std::uint32_t last);

// The cut from keyframe a to keyframe b (ordinals; b may be keyframe_count, the end of the video).
SplitCut KeyframeCut(const SplitPageState& split, std::uint32_t a, std::uint32_t b);
// The cut of the page's range; nothing when the page has no range to cut (no file analysed, a
// video without keyframes, an audio file of one frame).
std::optional<SplitCut> SplitRangeCut(const SplitPageState& split);

}  // namespace clipwright

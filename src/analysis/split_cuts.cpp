#include "analysis/split_cuts.h"

#include <algorithm>

namespace clipwright {

double FrameTime(const SplitPageState& split, std::uint32_t frame) {
  return frame < split.frame_times.size() ? split.frame_times[frame] : 0;
}

std::uint32_t KeyframeFrame(const SplitPageState& split, std::uint32_t k) {
  return k < split.keyframe_frames.size() ? split.keyframe_frames[k] : split.last_frame_index;
}

std::uint32_t RangeMaximum(const SplitPageState& split) {
  return StepsByKeyframe(split) ? split.keyframe_count : split.last_frame_index;
}

bool HasSplitRange(const SplitPageState& split) {
  if (RangeMaximum(split) == 0 || split.frame_times.size() <= split.last_frame_index) return false;
  return !KeyframeMode(split) || split.keyframe_frames.size() > split.keyframe_count;
}

SplitCut KeyframeCut(const SplitPageState& split, std::uint32_t a, std::uint32_t b) {
  SplitCut cut;
  cut.start_time = FrameTime(split, KeyframeFrame(split, a));
  cut.end_time = FrameTime(split, KeyframeFrame(split, b));
  const std::vector<double>& decode = split.keyframe_decode_times;
  const bool decode_known = a < decode.size() && b < decode.size();
  // The file's first keyframe needs no seek: FFmpeg reads from the start of the file. A seek to
  // its decode time, which B-frames put before 0, lands after it and cuts nothing.
  cut.seek = a != 0;
  cut.seek_time = cut.seek ? (decode_known ? decode[a] : cut.start_time) : 0;
  cut.length = (decode_known ? decode[b] : cut.end_time) - cut.seek_time;
  const std::vector<std::int64_t>& packets = split.keyframe_packets;
  if (a < packets.size() && b < packets.size() && a < b) {
    // Without a seek the piece also holds whatever comes before the first keyframe.
    cut.video_packets = packets[b] - (a == 0 ? 0 : packets[a]);
  }
  return cut;
}

std::optional<FrameCut> FrameRangeCut(const SplitPageState& split, std::uint32_t first, std::uint32_t last) {
  if (!HasSplitRange(split) || !KeyframeMode(split) || first > last || last >= split.last_frame_index) {
    return std::nullopt;
  }
  FrameCut cut;
  cut.first_frame = first;
  cut.end_frame = last + 1;
  cut.start_time = FrameTime(split, first);
  cut.end_time = FrameTime(split, cut.end_frame);
  cut.frame_step = (cut.end_time - cut.start_time) / (cut.end_frame - first);
  // The first keyframe at or after the range's start, and the last at or before its end; the
  // end of the video counts as one.
  std::uint32_t a = 0;
  while (a < split.keyframe_count && KeyframeFrame(split, a) < first) ++a;
  std::uint32_t b = split.keyframe_count;
  while (b > 0 && KeyframeFrame(split, b) > cut.end_frame) --b;
  if (a < b && KeyframeFrame(split, b) <= cut.end_frame) {
    cut.copy_first = KeyframeFrame(split, a);
    cut.copy_end = KeyframeFrame(split, b);
    cut.copy = KeyframeCut(split, a, b);
    if (a < split.keyframe_packets.size() && cut.copy.video_packets) cut.copy_first_packet = a == 0 ? 0 : split.keyframe_packets[a];
    const auto from = static_cast<std::size_t>(cut.copy_first_packet.value_or(0));
    const std::size_t count = cut.copy_end - cut.copy_first;
    if (cut.copy_first_packet && from + count <= split.packet_crcs.size()) {
      for (std::size_t i = from; i < from + count; ++i) cut.copied_packets.push_back(StreamPacket{.crc = split.packet_crcs[i]});
      for (std::uint32_t k = a; k < b; ++k) {
        const auto key = static_cast<std::size_t>(split.keyframe_packets[k]);
        if (key >= from && key < from + count) cut.copied_packets[key - from].key = true;
      }
    }
  } else {
    // No whole GOP inside: the range is encoded again as one piece.
    cut.copy_first = cut.copy_end = cut.end_frame;
  }
  cut.copy_start_time = FrameTime(split, cut.copy_first);
  cut.copy_end_time = FrameTime(split, cut.copy_end);
  return cut;
}

std::optional<SplitCut> SplitRangeCut(const SplitPageState& split) {
  if (!HasSplitRange(split) || split.start_frame >= split.end_frame) return std::nullopt;
  if (KeyframeMode(split)) return KeyframeCut(split, split.start_key, split.end_key);
  SplitCut cut;
  cut.start_time = cut.seek_time = FrameTime(split, split.start_frame);
  cut.seek = cut.seek_time != 0;
  cut.end_time = FrameTime(split, split.end_frame);
  cut.length = cut.end_time - cut.start_time;
  cut.audio_length = cut.length;
  // The longest step of the range: the first frame a decoder gives may be a few samples only
  // (what is left of an MP3 encoder's delay), which is no measure of a frame.
  for (std::uint32_t frame = split.start_frame; frame < split.end_frame; ++frame) {
    cut.audio_frame = std::max(cut.audio_frame, FrameTime(split, frame + 1) - FrameTime(split, frame));
  }
  return cut;
}

}  // namespace clipwright

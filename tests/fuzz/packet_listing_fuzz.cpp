// The packet listing readers, and the frames the split page takes from a listing, on any bytes:
// every key packet has finite times; stored frames keep the page's invariants (the keyframes
// rise, lie within the frame times and end with the end marker, and a cut from each to the next
// has packets to count); every listed stream has a count and a play time the check can compare.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "analysis/packet_frames.h"
#include "analysis/split_cuts.h"
#include "tools/packet_listing.h"

namespace {

void CheckStreams(std::string_view text) {
  const std::vector<clipwright::ListedStream> streams = clipwright::ScanStreamListing(text);
  // A garbled number names no stream beyond what a file can hold.
  if (streams.size() > 4096) __builtin_trap();
  for (const clipwright::ListedStream& stream : streams) {
    if (stream.packets < 0 || !std::isfinite(stream.played) || stream.played < 0) __builtin_trap();
    if (stream.packets == 0 && (stream.played != 0 || stream.first_is_key)) __builtin_trap();
    if (!std::isfinite(stream.time_base) || stream.time_base < 0) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckStreams(text);
  const clipwright::PacketListing listing = clipwright::ScanPacketListing(text);
  for (const clipwright::KeyPacket& packet : clipwright::KeyPacketsOf(listing)) {
    if (!std::isfinite(packet.decode_time)) __builtin_trap();
    if (packet.presentation_time && !std::isfinite(*packet.presentation_time)) __builtin_trap();
  }
  clipwright::SplitPageState split;
  if (clipwright::FramesFromPackets(listing, split) != clipwright::PacketFrames::kStored) return 0;
  if (split.frame_times.size() != split.last_frame_index + 1u) __builtin_trap();
  if (split.keyframe_frames.size() != split.keyframe_count + 1u) __builtin_trap();
  if (split.keyframe_decode_times.size() != split.keyframe_count + 1u) __builtin_trap();
  if (split.keyframe_frames.back() != split.last_frame_index) __builtin_trap();
  for (std::uint32_t k = 0; k < split.keyframe_count; ++k) {
    if (split.keyframe_frames[k] >= split.keyframe_frames[k + 1]) __builtin_trap();
  }
  // The packet places, when the listing tells them, leave a run of packets for every cut.
  const std::vector<std::int64_t>& places = split.keyframe_packets;
  if (places.empty()) return 0;
  if (places.size() != split.keyframe_count + 1u) __builtin_trap();
  for (std::uint32_t a = 0; a < split.keyframe_count; ++a) {
    const std::optional<std::int64_t> count = clipwright::KeyframeCut(split, a, a + 1).video_packets;
    if (!count || *count <= 0) __builtin_trap();
  }
  return 0;
}

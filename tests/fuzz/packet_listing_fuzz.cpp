// The packet listing reader, and the frames the split page takes from it, on any bytes: every
// key packet has finite times, and stored frames keep the page's invariants (the keyframes rise,
// lie within the frame times and end with the end marker).
#include <cmath>
#include <cstdint>
#include <string_view>

#include "analysis/packet_frames.h"
#include "tools/packet_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
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
  return 0;
}

#include "analysis/packet_frames.h"

#include <algorithm>
#include <functional>

#include "common/limits.h"

namespace clipwright {

PacketFrames FramesFromPackets(const PacketListing& listing, SplitPageState& split) {
  const std::vector<StreamPacket>& packets = listing.packets;
  const auto first_key = std::find_if(packets.begin(), packets.end(), [](const StreamPacket& p) { return p.key; });
  if (!(listing.time_base > 0) || first_key == packets.end()) return PacketFrames::kUnusable;

  std::vector<const StreamPacket*> shown;
  for (auto packet = first_key; packet != packets.end(); ++packet) {
    if (packet->discard) continue;
    if (!packet->has_pts || (packet->key && !packet->has_dts)) return PacketFrames::kUnusable;
    shown.push_back(&*packet);
  }
  // Stable: packets of one presentation time stay in decode order, as a decoder shows them.
  std::stable_sort(shown.begin(), shown.end(), [](const StreamPacket* x, const StreamPacket* y) { return x->pts < y->pts; });
  shown.erase(shown.begin(), std::find_if(shown.begin(), shown.end(), [](const StreamPacket* p) { return p->key; }));
  if (shown.size() > FRAME_CAPACITY) return PacketFrames::kTooManyFrames;
  if (shown.size() < 2) return PacketFrames::kUnusable;

  const double tb = listing.time_base;
  const auto frames = static_cast<std::uint32_t>(shown.size());
  split.last_frame_index = frames;
  split.frame_times.resize(frames + 1);
  split.keyframe_frames.clear();
  split.keyframe_decode_times.clear();
  split.keyframe_packets.clear();
  for (std::uint32_t i = 0; i < frames; ++i) {
    split.frame_times[i] = static_cast<double>(shown[i]->pts) * tb;
    if (!shown[i]->key) continue;
    split.keyframe_frames.push_back(i);
    split.keyframe_decode_times.push_back(static_cast<double>(shown[i]->dts) * tb);
    split.keyframe_packets.push_back(shown[i] - packets.data());
  }
  // In doubles: timestamps near the ends of 64 bits must not overflow.
  const double last = static_cast<double>(shown[frames - 1]->pts);
  split.frame_times[frames] = (2 * last - static_cast<double>(shown[frames - 2]->pts)) * tb;
  split.keyframe_count = static_cast<std::uint32_t>(split.keyframe_frames.size());
  split.keyframe_frames.push_back(frames);
  split.keyframe_decode_times.push_back(split.frame_times[frames]);
  split.keyframe_packets.push_back(static_cast<std::int64_t>(packets.size()));
  // Keyframes shown in another order than they are decoded (timestamps that jump back) leave no
  // run of packets between two of them to count.
  if (std::adjacent_find(split.keyframe_packets.begin(), split.keyframe_packets.end(),
                         std::greater_equal<>()) != split.keyframe_packets.end()) {
    split.keyframe_packets.clear();
  }
  return PacketFrames::kStored;
}

}  // namespace clipwright

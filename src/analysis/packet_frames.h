// The frames of a video as its packet listing tells them, without decoding: the frames are the
// packets in presentation order, the keyframes the key packets among them. This is what the
// split page's keyframe scan gives, in a small part of the time that decoding takes.
#pragma once

#include "analysis/stream_model.h"
#include "tools/packet_listing.h"

namespace clipwright {

enum class PacketFrames {
  kStored,         // the page's frame and keyframe data were written
  kUnusable,       // the listing cannot tell them; the decoding scan must (nothing was written)
  kTooManyFrames,  // more frames than the page holds (nothing was written)
};

// Writes last_frame_index, frame_times, keyframe_count, keyframe_frames and
// keyframe_decode_times of `split` from the listing, with the rules the decoding scan follows:
// - the frames are those a decoder shows: from the first key packet in decode order (a decoder
//   cannot start before it), less the packets flagged to be discarded;
// - the frame list begins at the first keyframe shown: the frames before it cannot be cut to,
//   and a decoder either drops them or shows stand-ins for the pictures they refer to;
// - the end entry lies one frame length after the last frame, the length being the distance of
//   the last two frames.
// Unusable: no time base, no keyframe, a frame without a presentation time (raw streams, AVI,
// MPEG-PS), or fewer than two frames.
PacketFrames FramesFromPackets(const PacketListing& listing, SplitPageState& split);

}  // namespace clipwright

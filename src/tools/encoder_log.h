// What x264 says of each frame it encodes: at FFmpeg's debug level, with its PSNR measurement on
// ("-x264-params psnr=1"), a line per frame in the order it codes them,
//   [libx264 @ 0x…] frame=  12 QP=17.73 NAL=0 Slice:B Poc:2   I:17 P:479 SKIP:3104 size=18000 bytes PSNR Y:52.32 U:51.13 V:50.98
// The PSNR is of the encoder's own decoded picture against the picture it was given, so a frame
// encoded again needs no second decode to be judged.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace clipwright {

// Each frame's PSNR over its three planes together (the luma plane weighing `luma_weight` times
// a chroma plane: 4 for 4:2:0, 2 for 4:2:2, 1 for 4:4:4), in the order the frames are shown.
// None unless the log tells exactly `frames` frames, and when FFmpeg doubled or dropped frames on
// the way to the encoder ("dup=" or "drop=" in its progress line): the frames are then not the
// source's in order.
std::optional<std::vector<double>> EncodedFramePsnr(std::string_view log, std::size_t frames, int luma_weight);

}  // namespace clipwright

// FFmpeg's packet listing of one stream ("-map 0:v:0 -c copy -f framecrc -"): one line per
// packet in decode order, "0, dts, pts, duration, size, crc", followed by ", F=0x…" when the
// packet's flags are not just "keyframe". Read for the decode time of each keyframe, which is
// where FFmpeg's input seek with stream copy lands.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace clipwright {

struct KeyPacket {
  double decode_time = 0;                    // seconds
  std::optional<double> presentation_time;   // seconds; none in files without them (raw streams, AVI)
};

// The keyframe packets of stream 0, in decode order, in seconds by the listing's "#tb 0:" line.
// Empty when the listing has no usable time base. Lines of other streams, without a decode time
// or cut short are passed over.
std::vector<KeyPacket> ScanKeyPackets(std::string_view listing);

}  // namespace clipwright

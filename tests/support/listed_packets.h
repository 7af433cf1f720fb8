// What the tests judge a cut by: the packets of a file's first video stream, as FFmpeg lists them.
#pragma once

#include <string>
#include <vector>

namespace clipwright::testing {

struct ListedPacket {
  double presentation_time = 0;
  bool key = false;
  std::string crc;  // of the packet's data
};

// The packets of a file's first video stream, in decode order.
std::vector<ListedPacket> ListVideoPackets(const std::string& path);

}  // namespace clipwright::testing

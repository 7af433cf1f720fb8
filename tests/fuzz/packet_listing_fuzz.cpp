// The packet listing reader on any bytes: every keyframe it finds has finite times, in the
// listing's order.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "tools/packet_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view listing(reinterpret_cast<const char*>(data), size);
  for (const clipwright::KeyPacket& packet : clipwright::ScanKeyPackets(listing)) {
    if (!std::isfinite(packet.decode_time)) __builtin_trap();
    if (packet.presentation_time && !std::isfinite(*packet.presentation_time)) __builtin_trap();
  }
  return 0;
}

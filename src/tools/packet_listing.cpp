#include "tools/packet_listing.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>

#include "tools/scan_text.h"

namespace clipwright {
namespace {

using scan::npos;

// FFmpeg prints a missing timestamp as the smallest 64-bit value, which ReadInteger saturates to
// this one.
constexpr std::int64_t kNoTimestamp = -std::numeric_limits<std::int64_t>::max();

// Seconds per tick from "#tb 0: num/den"; 0 when there is none.
double ReadTimeBase(std::string_view listing) {
  constexpr std::string_view kTimeBase = "#tb 0: ";
  const std::size_t at = scan::Find(listing, kTimeBase, 0);
  if (at == npos) return 0;
  const std::size_t slash = scan::Find(listing, "/", at);
  const std::size_t end = scan::FindLineEnd(listing, at);
  if (slash == npos || (end != npos && slash > end)) return 0;
  const std::int64_t num = scan::ReadInteger(scan::Span(listing, at + kTimeBase.size(), slash));
  const std::int64_t den = scan::ReadInteger(scan::Span(listing, slash + 1, end == npos ? listing.size() : end));
  return num > 0 && den > 0 ? static_cast<double>(num) / static_cast<double>(den) : 0;
}

// The comma-separated fields of one packet line.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == npos ? npos : comma - start));
    if (comma == npos) return fields;
    start = comma + 1;
  }
}

// Blanks, then an optional minus sign and digits.
bool IsNumber(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  if (!field.empty() && field.front() == '-') field.remove_prefix(1);
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsKeyPacket(const std::vector<std::string_view>& fields) {
  for (std::size_t i = 6; i < fields.size(); ++i) {
    std::string_view field = fields[i];
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    if (field.starts_with("F=0x")) {
      std::uint64_t flags = 0;
      std::from_chars(field.data() + 4, field.data() + field.size(), flags, 16);
      return (flags & 1) != 0;
    }
  }
  return true;  // no flags printed: the flags are exactly "keyframe"
}

}  // namespace

std::vector<KeyPacket> ScanKeyPackets(std::string_view listing) {
  std::vector<KeyPacket> packets;
  const double time_base = ReadTimeBase(listing);
  if (!(time_base > 0)) return packets;
  for (std::size_t start = 0; start < listing.size();) {
    const std::size_t end = scan::FindLineEnd(listing, start);
    const std::string_view line = scan::Span(listing, start, end == npos ? listing.size() : end);
    start = end == npos ? listing.size() : end + 1;
    if (!line.starts_with("0,")) continue;
    const std::vector<std::string_view> fields = Fields(line);
    // A line that another writer's text broke into is passed over rather than misread.
    if (fields.size() < 6 || !std::all_of(fields.begin() + 1, fields.begin() + 5, IsNumber) || !IsKeyPacket(fields)) {
      continue;
    }
    const std::int64_t dts = scan::ReadInteger(fields[1]);
    const std::int64_t pts = scan::ReadInteger(fields[2]);
    if (dts <= kNoTimestamp) continue;
    KeyPacket packet{static_cast<double>(dts) * time_base, std::nullopt};
    if (pts > kNoTimestamp) packet.presentation_time = static_cast<double>(pts) * time_base;
    packets.push_back(packet);
  }
  return packets;
}

}  // namespace clipwright

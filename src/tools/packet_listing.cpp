#include "tools/packet_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>

#include "tools/scan_text.h"

namespace clipwright {
namespace {

using scan::npos;

// FFmpeg prints a missing timestamp as the smallest 64-bit value, which ReadInteger saturates to
// this one.
constexpr std::int64_t kNoTimestamp = -std::numeric_limits<std::int64_t>::max();
// AVPacket's flags.
constexpr std::uint64_t kKeyFlag = 0x1;
constexpr std::uint64_t kDiscardFlag = 0x4;

// Seconds per tick of the stream from "#tb <stream>: num/den"; 0 when there is none.
double ReadTimeBase(std::string_view listing, std::size_t stream) {
  const std::string time_base = "#tb " + std::to_string(stream) + ": ";
  const std::size_t at = scan::Find(listing, time_base, 0);
  if (at == npos) return 0;
  const std::size_t slash = scan::Find(listing, "/", at);
  const std::size_t end = scan::FindLineEnd(listing, at);
  if (slash == npos || (end != npos && slash > end)) return 0;
  const std::int64_t num = scan::ReadInteger(scan::Span(listing, at + time_base.size(), slash));
  const std::int64_t den = scan::ReadInteger(scan::Span(listing, slash + 1, end == npos ? listing.size() : end));
  return num > 0 && den > 0 ? static_cast<double>(num) / static_cast<double>(den) : 0;
}

std::string_view TrimLeft(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  return field;
}

// Blanks, then an optional minus sign and digits.
bool IsNumber(std::string_view field) {
  field = TrimLeft(field);
  if (!field.empty() && field.front() == '-') field.remove_prefix(1);
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The comma-separated fields of one packet line: stream, dts, pts, duration, size, crc, then
// the flags and side data, of which only the first few can matter.
struct PacketFields {
  std::array<std::string_view, 10> field;
  std::size_t count = 0;
};

PacketFields SplitFields(std::string_view line) {
  PacketFields fields;
  for (std::size_t start = 0; fields.count < fields.field.size();) {
    const std::size_t comma = line.find(',', start);
    fields.field[fields.count++] = line.substr(start, comma == npos ? npos : comma - start);
    if (comma == npos) break;
    start = comma + 1;
  }
  return fields;
}

// The packet's flags: exactly "keyframe" when none are printed.
std::uint32_t Crc(const PacketFields& fields) {
  const std::string_view field = TrimLeft(fields.field[5]);
  std::uint32_t crc = 0;
  if (field.starts_with("0x")) std::from_chars(field.data() + 2, field.data() + field.size(), crc, 16);
  return crc;
}

std::uint64_t Flags(const PacketFields& fields) {
  for (std::size_t i = 6; i < fields.count; ++i) {
    const std::string_view field = TrimLeft(fields.field[i]);
    if (field.starts_with("F=0x")) {
      std::uint64_t flags = 0;
      std::from_chars(field.data() + 4, field.data() + field.size(), flags, 16);
      return flags;
    }
  }
  return kKeyFlag;
}

// "#<name> <k>: <value>": the stream number and the value, when the line is one of these.
bool ReadHeaderLine(std::string_view line, std::string_view name, std::size_t* stream, std::string_view* value) {
  if (!line.starts_with("#") || !line.substr(1).starts_with(name)) return false;
  std::string_view rest = line.substr(1 + name.size());
  if (!rest.starts_with(" ")) return false;
  rest.remove_prefix(1);
  const std::size_t colon = rest.find(':');
  if (colon == npos || colon == 0) return false;
  const std::string_view number = rest.substr(0, colon);
  if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  std::from_chars(number.data(), number.data() + number.size(), *stream);
  *value = TrimLeft(rest.substr(colon + 1));
  return true;
}

StreamKind KindNamed(std::string_view name) {
  if (name.starts_with("video")) return StreamKind::kVideo;
  if (name.starts_with("audio")) return StreamKind::kAudio;
  if (name.starts_with("subtitle")) return StreamKind::kSubtitle;
  if (name.starts_with("data")) return StreamKind::kData;
  if (name.starts_with("attachment")) return StreamKind::kAttachment;
  return StreamKind::kUnknown;
}

// A listing names at most this many streams; a garbled number beyond it is no stream.
constexpr std::size_t kMostStreams = 4096;

ListedStream& StreamAt(std::vector<ListedStream>& streams, std::size_t index) {
  if (streams.size() <= index) streams.resize(index + 1);
  return streams[index];
}

}  // namespace

void StreamListingReader::Feed(std::string_view text) {
  pending_.append(text);
  std::size_t start = 0;
  for (std::size_t end; (end = pending_.find_first_of("\r\n", start)) != std::string::npos; start = end + 1) {
    ReadLine(std::string_view(pending_).substr(start, end - start));
  }
  pending_.erase(0, start);
}

void StreamListingReader::Finish() {
  ReadLine(pending_);
  pending_.clear();
}

bool StreamListingReader::EveryStreamHasAPacket() const {
  return packets_seen_ && std::all_of(streams_.begin(), streams_.end(), [](const ListedStream& s) { return s.packets > 0; });
}

void StreamListingReader::ReadLine(std::string_view line) {
  std::size_t index = 0;
  std::string_view value;
  if (ReadHeaderLine(line, "tb", &index, &value)) {
    if (index >= kMostStreams) return;
    const std::size_t slash = value.find('/');
    const std::int64_t num = scan::ReadInteger(value.substr(0, slash));
    const std::int64_t den = slash == npos ? 0 : scan::ReadInteger(value.substr(slash + 1));
    StreamAt(streams_, index).time_base = num > 0 && den > 0 ? static_cast<double>(num) / static_cast<double>(den) : 0;
    return;
  }
  if (ReadHeaderLine(line, "media_type", &index, &value)) {
    if (index < kMostStreams) StreamAt(streams_, index).kind = KindNamed(value);
    return;
  }
  if (line.empty() || line.front() == '#') return;
  const PacketFields fields = SplitFields(line);
  if (fields.count < 6 || !std::all_of(fields.field.begin(), fields.field.begin() + 5, IsNumber)) return;
  const std::int64_t number = scan::ReadInteger(fields.field[0]);
  if (number < 0 || static_cast<std::size_t>(number) >= kMostStreams) return;
  // The header names every stream before the first packet.
  packets_seen_ = true;
  ListedStream& stream = StreamAt(streams_, static_cast<std::size_t>(number));
  if (stream.packets++ == 0) stream.first_is_key = (Flags(fields) & kKeyFlag) != 0;
  if (stream.kind == StreamKind::kVideo) stream.crcs.push_back(Crc(fields));
  if ((Flags(fields) & kDiscardFlag) != 0) return;
  if (stream.kind == StreamKind::kVideo) stream.shown.push_back(scan::ReadInteger(fields.field[2]));
  const std::int64_t duration = scan::ReadInteger(fields.field[3]);
  if (duration > 0) stream.played += static_cast<double>(duration) * stream.time_base;
}

std::vector<ListedStream> ScanStreamListing(std::string_view listing) {
  StreamListingReader reader;
  reader.Feed(listing);
  reader.Finish();
  return reader.streams();
}

PacketListing ScanPacketListing(std::string_view listing, std::size_t stream) {
  PacketListing result;
  result.time_base = ReadTimeBase(listing, stream);
  if (!(result.time_base > 0)) return result;
  const std::string start_of_line = std::to_string(stream) + ",";
  for (std::size_t start = 0; start < listing.size();) {
    const std::size_t end = scan::FindLineEnd(listing, start);
    const std::string_view line = scan::Span(listing, start, end == npos ? listing.size() : end);
    start = end == npos ? listing.size() : end + 1;
    if (!line.starts_with(start_of_line)) continue;
    const PacketFields fields = SplitFields(line);
    if (fields.count < 6 || !std::all_of(fields.field.begin() + 1, fields.field.begin() + 5, IsNumber)) continue;
    const std::int64_t dts = scan::ReadInteger(fields.field[1]);
    const std::int64_t pts = scan::ReadInteger(fields.field[2]);
    const std::uint64_t flags = Flags(fields);
    StreamPacket packet;
    packet.has_dts = dts > kNoTimestamp;
    packet.has_pts = pts > kNoTimestamp;
    packet.dts = packet.has_dts ? dts : 0;
    packet.pts = packet.has_pts ? pts : 0;
    packet.key = (flags & kKeyFlag) != 0;
    packet.discard = (flags & kDiscardFlag) != 0;
    packet.crc = Crc(fields);
    result.packets.push_back(packet);
  }
  return result;
}

std::vector<KeyPacket> KeyPacketsOf(const PacketListing& listing) {
  std::vector<KeyPacket> keys;
  for (std::size_t place = 0; place < listing.packets.size(); ++place) {
    const StreamPacket& packet = listing.packets[place];
    if (!packet.key || !packet.has_dts) continue;
    KeyPacket key{static_cast<std::int64_t>(place), static_cast<double>(packet.dts) * listing.time_base, std::nullopt};
    if (packet.has_pts) key.presentation_time = static_cast<double>(packet.pts) * listing.time_base;
    keys.push_back(key);
  }
  return keys;
}

}  // namespace clipwright

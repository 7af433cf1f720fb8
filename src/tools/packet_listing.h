// FFmpeg's packet listing of one stream ("-map 0:V:0 -c copy -f framecrc -"): a "#tb 0: num/den"
// line, then one line per packet in decode order, "0, dts, pts, duration, size, crc", followed by
// ", F=0x…" when the packet's flags are not just "keyframe". It tells every frame's presentation
// time and every keyframe without decoding anything, and each keyframe's decode time, which is
// where FFmpeg's input seek with stream copy lands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright {

struct StreamPacket {
  std::int64_t dts = 0;  // in the listing's time base; meaningful when has_dts
  std::int64_t pts = 0;  // likewise, when has_pts
  bool has_dts = false;
  bool has_pts = false;  // raw streams, AVI and MPEG-PS leave some packets without one
  bool key = false;
  // Decoded but not shown: the packets an MP4 edit list starts after.
  bool discard = false;
  std::uint32_t crc = 0;  // of the packet's bytes
};

struct PacketListing {
  double time_base = 0;  // seconds per tick; 0 when the listing has none
  std::vector<StreamPacket> packets;  // in decode order
};

// Reads a listing's stream `stream` (of a listing of several files, the streams of each in turn).
// Lines of other streams, and lines cut short or broken into by another writer's text, are
// passed over rather than misread.
PacketListing ScanPacketListing(std::string_view listing, std::size_t stream = 0);

struct KeyPacket {
  std::int64_t place = 0;                    // the packet's place in the listing, in decode order
  double decode_time = 0;                    // seconds
  std::optional<double> presentation_time;   // seconds; none in files without them
};

// The key packets that have a decode time, in decode order; empty without a time base.
std::vector<KeyPacket> KeyPacketsOf(const PacketListing& listing);

// What a listing of every stream of a file ("-map 0 -c copy -f framecrc -") tells of each: its
// kind (from the "#media_type" header line), its packets and where they start and end.
enum class StreamKind { kUnknown, kVideo, kAudio, kSubtitle, kData, kAttachment };

struct ListedStream {
  StreamKind kind = StreamKind::kUnknown;
  double time_base = 0;          // seconds per tick; 0 when the header gave none
  std::int64_t packets = 0;
  bool first_is_key = false;     // the first packet in decode order is a keyframe
  // Seconds the packets play: their durations added up, less those flagged to be discarded
  // (an encoder's priming, cut away by an edit list).
  double played = 0;
  // A video stream's presentation times (in time_base ticks) of the packets that are shown,
  // in decode order: a frame-precise cut is held to a gap of no more than one frame.
  std::vector<std::int64_t> shown = {};
  // A video stream's packet checksums, every packet's in decode order: copied packets are the
  // source's own.
  std::vector<std::uint32_t> crcs = {};
};

// Reads such a listing as it arrives, line by line.
class StreamListingReader {
 public:
  // Takes the next piece of the listing; a line cut short waits for the rest.
  void Feed(std::string_view text);
  // The listing has ended: a last line without its line end is read too.
  void Finish();
  // The streams so far, by index; a stream with a header line but no packet yet has 0 packets.
  const std::vector<ListedStream>& streams() const { return streams_; }
  // Packets have begun (so the header has named every stream), and every stream has one.
  bool EveryStreamHasAPacket() const;

 private:
  void ReadLine(std::string_view line);

  std::vector<ListedStream> streams_;
  std::string pending_;
  bool packets_seen_ = false;
};

// The streams of a whole listing, by index. Broken lines are passed over.
std::vector<ListedStream> ScanStreamListing(std::string_view listing);

}  // namespace clipwright

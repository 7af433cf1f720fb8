// The check that makes an output count: FFmpeg reads the output back and lists its packets, and
// the listing must show what the command asked for. A cut is listed whole (its packets are
// counted); any other output only until each stream has shown a packet, which is enough to show
// that every stream made it and costs little however long the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/file_plan.h"
#include "tools/packet_listing.h"

namespace clipwright {

enum class CheckFailure {
  kNone,
  kUnreadable,   // FFmpeg could not read it
  kStreamCount,  // first: streams asked for; second: streams found
  kEmptyStream,  // first: the stream without a packet
  kNotKeyframe,  // the cut does not start on a keyframe
  kPacketCount,  // first: video packets asked for; second: found
  kLength,       // first, second: milliseconds asked for and found
  kDecodeError,  // it does not decode to its end without an error
  kTimestampJump,       // a frame cut: first: the frame after the gap; second: the gap in milliseconds
  kCopiedFrameChanged,  // first: the copied frame whose picture differs from the source's
  kPictureQuality,      // first: the frame encoded again; second: its PSNR in tenths of a dB
};

struct CheckResult {
  CheckFailure failure = CheckFailure::kNone;
  std::int64_t first = 0;
  std::int64_t second = 0;
  bool aborted = false;  // 中断 was pressed while FFmpeg read it
  bool passed() const { return failure == CheckFailure::kNone && !aborted; }
};

// Judges the listing of an output against what it should hold.
CheckResult JudgeListing(const std::vector<ListedStream>& streams, const OutputExpectation& expected);

// A stream of another file that a listing of an output lists after the output's streams.
struct ListedInput {
  std::string file;
  int stream = 0;
};

// The command that lists every packet of every stream of `output`, then of the streams `also`.
CommandLine ListingCommand(const std::string& ffmpeg, const std::string& output, const std::vector<ListedInput>& also);

// The command that decodes every stream of `output` to its end, stopping at the first error.
CommandLine DecodeCommand(const std::string& ffmpeg, const std::string& output);

// Lists `output` with FFmpeg and judges it. A cut's listing is read whole; any other ends as
// soon as every stream has shown a packet. An output that must decode is then decoded whole.
CheckResult CheckOutput(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                        const std::atomic<int>& abort);

}  // namespace clipwright

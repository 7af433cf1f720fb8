// The check that makes an output count: FFmpeg reads the output back and lists its packets, and
// the listing must show what the command asked for. Every output is listed whole: a cut's packets
// are counted, and "-frames 1" cannot stop each stream at its first packet, for FFmpeg ends the
// whole output as soon as any one stream has its count (a stream whose first packet comes later
// would look empty). Listing is stream copy, so it costs about one read of the file.
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

// The command that lists every packet of every stream of `output`.
CommandLine ListingCommand(const std::string& ffmpeg, const std::string& output);

// Lists `output` with FFmpeg and judges it.
CheckResult CheckOutput(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                        const std::atomic<int>& abort);

}  // namespace clipwright

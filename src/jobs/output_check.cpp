#include "jobs/output_check.h"

#include <algorithm>
#include <cmath>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/process.h"
#include "tools/number_text.h"

namespace clipwright {
namespace {

bool NeedsPackets(StreamKind kind) { return kind == StreamKind::kVideo || kind == StreamKind::kAudio; }

CheckResult Failed(CheckFailure failure, std::int64_t first = 0, std::int64_t second = 0) {
  return CheckResult{failure, first, second, false};
}

std::int64_t Milliseconds(double seconds) { return std::llround(seconds * 1000); }

}  // namespace

CheckResult JudgeListing(const std::vector<ListedStream>& streams, const OutputExpectation& expected) {
  const auto asked = static_cast<std::int64_t>(expected.streams.size());
  if (streams.empty()) return Failed(CheckFailure::kStreamCount, asked > 0 ? asked : 1, 0);
  if (asked > 0 && static_cast<std::int64_t>(streams.size()) != asked) {
    return Failed(CheckFailure::kStreamCount, asked, static_cast<std::int64_t>(streams.size()));
  }
  std::int64_t packets = 0;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    packets += streams[i].packets;
    // Video and audio play from start to end; a subtitle or data stream may have nothing to say
    // in a piece.
    const StreamKind kind = asked > 0 ? expected.streams[i] : streams[i].kind;
    if (!expected.cut && NeedsPackets(kind) && streams[i].packets == 0) {
      return Failed(CheckFailure::kEmptyStream, static_cast<std::int64_t>(i));
    }
  }
  if (packets == 0) return Failed(CheckFailure::kEmptyStream, 0);

  if (expected.cut_video) {
    const auto index = static_cast<std::size_t>(*expected.cut_video);
    if (index >= streams.size()) return Failed(CheckFailure::kStreamCount, asked, static_cast<std::int64_t>(streams.size()));
    const ListedStream& video = streams[index];
    if (video.packets == 0) return Failed(CheckFailure::kEmptyStream, *expected.cut_video);
    if (!video.first_is_key) return Failed(CheckFailure::kNotKeyframe);
    if (expected.video_packets && video.packets != *expected.video_packets) {
      return Failed(CheckFailure::kPacketCount, *expected.video_packets, video.packets);
    }
    if (expected.frames) {
      // Frames in the order they show; a gap wider than one frame (and a half, for the rounding
      // of the time base) is a jump the eye sees.
      std::vector<std::int64_t> shown = video.shown;
      std::sort(shown.begin(), shown.end());
      for (std::size_t i = 1; i < shown.size(); ++i) {
        const double gap = static_cast<double>(shown[i] - shown[i - 1]) * video.time_base;
        if (gap > expected.frames->frame_step * 1.5) {
          return Failed(CheckFailure::kTimestampJump, static_cast<std::int64_t>(i), Milliseconds(gap));
        }
      }
    }
  }
  if (expected.audio_length) {
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const StreamKind kind = asked > 0 ? expected.streams[i] : streams[i].kind;
      if (kind != StreamKind::kAudio) continue;
      if (streams[i].packets == 0) return Failed(CheckFailure::kEmptyStream, static_cast<std::int64_t>(i));
      // A millisecond of slack for the rounding of the container's time base.
      if (std::abs(streams[i].played - *expected.audio_length) > expected.audio_frame + 0.001) {
        return Failed(CheckFailure::kLength, Milliseconds(*expected.audio_length), Milliseconds(streams[i].played));
      }
      break;
    }
  }
  return {};
}

CommandLine ListingCommand(const std::string& ffmpeg, const std::string& output) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -loglevel error -i").AddQuoted(output);
  command.AddWords("-map 0 -c copy -f framecrc -");
  return command;
}

CommandLine DecodeCommand(const std::string& ffmpeg, const std::string& output) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -v error -xerror -i").AddQuoted(output);
  command.AddWords("-f null -");
  return command;
}

namespace {

// How long one wait for FFmpeg may block before the abort flag is looked at again.
constexpr int kWaitMs = 40;
constexpr std::size_t kChunkLimit = 1024 * 1024;

// Reading only: FFmpeg may be ended at any moment.
void Stop(platform::ChildProcess& child) {
  child.Terminate();
  while (!child.WaitForExit(kWaitMs)) {
  }
}

// FFmpeg run to its end, or until 中断, and all it printed.
struct Reading {
  bool started = false;
  bool aborted = false;
  std::optional<int> exit_code;
  std::string output;
};

Reading ReadToEnd(const CommandLine& command, const std::atomic<int>& abort) {
  Reading reading;
  const std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::Start(command.Text());
  if (!child) return reading;
  reading.started = true;
  const auto take = [&] {
    const std::string chunk = child->ReadAvailable(kChunkLimit);
    reading.output += chunk;
    return !chunk.empty();
  };
  while (!child->HasExited()) {
    if (abort.load() != 0) {
      Stop(*child);
      reading.aborted = true;
      return reading;
    }
    child->WaitForOutputOrExit(kWaitMs);
    take();
  }
  while (take()) {
  }
  reading.exit_code = child->ExitCode();
  return reading;
}

// At the error level FFmpeg prints nothing but errors.
CheckResult CheckDecoding(const std::string& ffmpeg, const std::string& output, const std::atomic<int>& abort) {
  const Reading reading = ReadToEnd(DecodeCommand(ffmpeg, output), abort);
  if (!reading.started) return Failed(CheckFailure::kUnreadable);
  if (reading.aborted) return CheckResult{CheckFailure::kNone, 0, 0, true};
  const bool printed = reading.output.find_first_not_of(" \r\n") != std::string::npos;
  return reading.exit_code == 0 && !printed ? CheckResult{} : Failed(CheckFailure::kDecodeError);
}

// Frames of a frame cut compared with the source's: `count` of them from output frame `first`,
// the output read from `output_seek` and the source from `source_seek`.
struct Span {
  std::int64_t first = 0;
  std::int64_t count = 0;
  std::optional<double> output_time;  // the output's own timestamp of frame `first`; none: from its start
  double source_seek = 0;
};

// The PSNR filter's line of each frame ("n:1 mse_avg:… psnr_avg:48.83 …", "inf" for the very
// same picture): a copied frame must be the source's, one encoded again close to it.
CheckResult ComparePictures(const std::string& ffmpeg, const std::string& output, const OutputExpectation::Frames& frames,
                            const Span& span, const std::atomic<int>& abort) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -v error");
  // By the output's own timestamps: where its streams start differs between containers.
  if (span.output_time) command.AddWords("-seek_timestamp 1 -ss").Add(FixedText(*span.output_time - frames.frame_step / 2, 6));
  command.Add("-i").AddQuoted(output);
  command.Add("-ss").Add(FixedText(span.source_seek, 6)).Add("-i").AddQuoted(frames.source);
  // Both from 0, so that the filter pairs the frames in order.
  const std::string trim = "trim=end_frame=" + std::to_string(span.count) + ",setpts=PTS-STARTPTS";
  command.Add("-lavfi").Add("[1:" + std::to_string(frames.source_video) + "]" + trim + "[source];[0:v:0]" + trim +
                            "[cut];[cut][source]psnr=stats_file=-");
  command.AddWords("-f null -");
  const Reading reading = ReadToEnd(command, abort);
  if (!reading.started) return Failed(CheckFailure::kUnreadable);
  if (reading.aborted) return CheckResult{CheckFailure::kNone, 0, 0, true};
  std::int64_t frame = span.first;
  for (std::size_t start = 0; start < reading.output.size();) {
    const std::size_t end = std::min(reading.output.find('\n', start), reading.output.size());
    const std::string_view line = std::string_view(reading.output).substr(start, end - start);
    start = end + 1;
    const std::size_t psnr = line.find("psnr_avg:");
    if (!line.starts_with("n:") || psnr == std::string_view::npos) continue;
    const std::string_view value = line.substr(psnr + 9, line.find(' ', psnr) - psnr - 9);
    if (value != "inf") {
      if (frame >= frames.copied_first && frame < frames.copied_end) return Failed(CheckFailure::kCopiedFrameChanged, frame);
      const double decibels = std::strtod(std::string(value).c_str(), nullptr);
      if (!(decibels >= kLeastPsnr)) return Failed(CheckFailure::kPictureQuality, frame, std::llround(decibels * 10));
    }
    ++frame;
  }
  if (reading.exit_code != 0) return Failed(CheckFailure::kDecodeError);
  return frame == span.first + span.count ? CheckResult{} : Failed(CheckFailure::kPacketCount, frames.count, frame);
}

// The copied packets are the source's very packets; then the pictures about the joins decode
// as the source's do, and so do the ones between.
CheckResult CheckFrameCut(const std::string& ffmpeg, const std::string& output, const OutputExpectation::Frames& frames,
                          const ListedStream& video, const std::atomic<int>& abort) {
  const std::vector<std::uint32_t>& output_crcs = video.crcs;
  // A join's B-frames and references reach this far into the copied frames at most.
  constexpr std::int64_t kSeamFrames = 16;
  const bool copies = frames.copied_first < frames.copied_end;
  if (!copies || !frames.source_first_packet) {
    return ComparePictures(ffmpeg, output, frames, Span{0, frames.count, std::nullopt, frames.seek}, abort);
  }
  CommandLine listing(ffmpeg);
  listing.AddWords("-hide_banner -nostats -nostdin -loglevel error -i").AddQuoted(frames.source);
  listing.Add("-map").Add("0:" + std::to_string(frames.source_video)).AddWords("-c copy -f framecrc -");
  const Reading read = ReadToEnd(listing, abort);
  if (!read.started) return Failed(CheckFailure::kUnreadable);
  if (read.aborted) return CheckResult{CheckFailure::kNone, 0, 0, true};
  const PacketListing source = ScanPacketListing(read.output);
  // A copied keyframe may carry its GOP's parameter sets in the output (the join puts them in
  // front of each when the parts' differ); the pictures of the first GOP are compared below.
  for (std::int64_t frame = frames.copied_first; frame < frames.copied_end; ++frame) {
    const auto at = static_cast<std::size_t>(*frames.source_first_packet + frame - frames.copied_first);
    const auto mine = static_cast<std::size_t>(frame);
    if (at < source.packets.size() && source.packets[at].key) continue;
    if (at >= source.packets.size() || mine >= output_crcs.size() || source.packets[at].crc != output_crcs[mine]) {
      return Failed(CheckFailure::kCopiedFrameChanged, frame);
    }
  }
  const Span head{0, std::min(frames.count, frames.copied_first + kSeamFrames), std::nullopt, frames.seek};
  const CheckResult compared = ComparePictures(ffmpeg, output, frames, head, abort);
  if (!compared.passed() || frames.copied_end >= frames.count) return compared;
  std::vector<std::int64_t> shown = video.shown;
  std::sort(shown.begin(), shown.end());
  if (static_cast<std::size_t>(frames.copied_end) >= shown.size()) return Failed(CheckFailure::kPacketCount, frames.count, 0);
  const Span tail{frames.copied_end, frames.count - frames.copied_end,
                  static_cast<double>(shown[static_cast<std::size_t>(frames.copied_end)]) * video.time_base,
                  frames.tail_source_seek};
  return ComparePictures(ffmpeg, output, frames, tail, abort);
}

CheckResult ListAndJudge(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                         const std::atomic<int>& abort, ListedStream* video) {
  const std::unique_ptr<platform::ChildProcess> child =
      platform::ChildProcess::Start(ListingCommand(ffmpeg, output).Text());
  if (!child) return Failed(CheckFailure::kUnreadable);
  StreamListingReader reader;
  std::string errors;  // FFmpeg's error lines share the pipe; only the start of them is kept
  const auto take = [&] {
    const std::string chunk = child->ReadAvailable(kChunkLimit);
    reader.Feed(chunk);
    if (errors.size() < 4096) errors += chunk.substr(0, 4096);
    return !chunk.empty();
  };
  // The listing only reads the file: it may be ended at any moment.
  const auto stop = [&] { Stop(*child); };
  for (;;) {
    if (abort.load() != 0) {
      stop();
      return CheckResult{CheckFailure::kNone, 0, 0, true};
    }
    child->WaitForOutputOrExit(kWaitMs);
    take();
    // Anything but a cut is seen enough once every stream has shown a packet.
    if (!expected.cut && reader.EveryStreamHasAPacket()) {
      stop();
      return JudgeListing(reader.streams(), expected);
    }
    if (child->HasExited()) {
      while (take()) {
      }
      break;
    }
  }
  reader.Finish();
  if (child->ExitCode() != 0) {
    // A file FFmpeg opens but finds no stream in ends the listing with an error too.
    const bool no_streams = errors.find("matches no streams") != std::string::npos ||
                            errors.find("does not contain any stream") != std::string::npos;
    return no_streams ? Failed(CheckFailure::kStreamCount, std::max<std::int64_t>(1, expected.streams.size()), 0)
                      : Failed(CheckFailure::kUnreadable);
  }
  const CheckResult judged = JudgeListing(reader.streams(), expected);
  if (judged.passed() && expected.cut_video && static_cast<std::size_t>(*expected.cut_video) < reader.streams().size()) {
    *video = reader.streams()[static_cast<std::size_t>(*expected.cut_video)];
  }
  return judged;
}

}  // namespace

CheckResult CheckOutput(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                        const std::atomic<int>& abort) {
  ListedStream video;
  const CheckResult listed = ListAndJudge(ffmpeg, output, expected, abort, &video);
  if (!listed.passed()) return listed;
  if (expected.frames) return CheckFrameCut(ffmpeg, output, *expected.frames, video, abort);
  return expected.decodes ? CheckDecoding(ffmpeg, output, abort) : listed;
}

}  // namespace clipwright

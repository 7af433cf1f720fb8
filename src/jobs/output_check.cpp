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

// FFmpeg runs side by side, each to its end, or all until 中断. Each run prints little (a line a
// frame at most), so a pipe never fills while another run is waited for.
std::vector<Reading> ReadAllToEnd(const std::vector<CommandLine>& commands, const std::atomic<int>& abort) {
  std::vector<Reading> readings(commands.size());
  std::vector<std::unique_ptr<platform::ChildProcess>> children;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    children.push_back(platform::ChildProcess::Start(commands[i].Text()));
    readings[i].started = children.back() != nullptr;
  }
  const auto take = [&](std::size_t i) {
    const std::string chunk = children[i]->ReadAvailable(kChunkLimit);
    readings[i].output += chunk;
    return !chunk.empty();
  };
  for (;;) {
    platform::ChildProcess* waiting = nullptr;
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (!children[i] || readings[i].exit_code || readings[i].aborted) continue;
      if (abort.load() != 0) {
        Stop(*children[i]);
        readings[i].aborted = true;
        continue;
      }
      take(i);
      if (!children[i]->HasExited()) {
        waiting = waiting ? waiting : children[i].get();
        continue;
      }
      while (take(i)) {
      }
      // A child ended from outside has no exit code; it counts as failed.
      readings[i].exit_code = children[i]->ExitCode().value_or(-1);
    }
    if (!waiting) return readings;
    waiting->WaitForOutputOrExit(children.size() > 1 ? kWaitMs / 4 : kWaitMs);
  }
}

// At the error level FFmpeg prints nothing but errors.
CheckResult CheckDecoding(const std::string& ffmpeg, const std::string& output, const std::atomic<int>& abort) {
  const Reading reading = ReadAllToEnd({DecodeCommand(ffmpeg, output)}, abort).front();
  if (!reading.started) return Failed(CheckFailure::kUnreadable);
  if (reading.aborted) return CheckResult{CheckFailure::kNone, 0, 0, true};
  const bool printed = reading.output.find_first_not_of(" \r\n") != std::string::npos;
  return reading.exit_code == 0 && !printed ? CheckResult{} : Failed(CheckFailure::kDecodeError);
}

// Frames of a frame cut compared with the source's: `count` of them from output frame `first`,
// the output read from `output_time` and the source from `source_seek`.
struct Span {
  std::int64_t first = 0;
  std::int64_t count = 0;
  std::optional<double> output_time;  // the output's own timestamp of frame `first`; none: from its start
  double source_seek = 0;             // the source's time of that frame
};

CommandLine PictureCompareCommand(const std::string& ffmpeg, const std::string& output,
                                  const OutputExpectation::Frames& frames, const Span& span) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -v error");
  // At the frames' very times: FFmpeg rounds them to the streams' ticks, decodes from the last
  // keyframe at or before them and passes over the frames before. A seek to a keyframe then
  // starts right there, not a whole GOP early.
  // By the output's own timestamps: where its streams start differs between containers.
  if (span.output_time) command.AddWords("-seek_timestamp 1 -ss").Add(FixedText(*span.output_time, 6));
  command.Add("-i").AddQuoted(output);
  command.Add("-ss").Add(FixedText(span.source_seek, 6)).Add("-i").AddQuoted(frames.source);
  // Both from 0, so that the filter pairs the frames in order.
  const std::string trim = "trim=end_frame=" + std::to_string(span.count) + ",setpts=PTS-STARTPTS";
  command.Add("-lavfi").Add("[1:" + std::to_string(frames.source_video) + "]" + trim + "[source];[0:v:0]" + trim +
                            "[cut];[cut][source]psnr=stats_file=-");
  command.AddWords("-f null -");
  return command;
}

// The PSNR filter's line of each frame ("n:1 mse_avg:… psnr_avg:48.83 …", "inf" for the very
// same picture): a copied frame must be the source's, one encoded again close to it.
CheckResult JudgePictures(const Reading& reading, const OutputExpectation::Frames& frames, const Span& span) {
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

CommandLine PacketListingCommand(const std::string& ffmpeg, const std::string& file, int stream) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -loglevel error -i").AddQuoted(file);
  command.Add("-map").Add("0:" + std::to_string(stream)).AddWords("-c copy -f framecrc -");
  return command;
}

// The first of `count` packets that the output does not hold from its packet `first` on, in
// decode order; none when it holds them all. Key packets are passed over: the join may put the
// parameter sets of their part in front of them, and their pictures are compared.
std::optional<std::size_t> FirstDifference(const std::vector<std::uint32_t>& output_crcs, std::int64_t first,
                                           const std::vector<StreamPacket>& packets, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto at = static_cast<std::size_t>(first) + i;
    if (i >= packets.size() || at >= output_crcs.size()) return i;
    if (!packets[i].key && packets[i].crc != output_crcs[at]) return i;
  }
  return std::nullopt;
}

// The end of a cut's listing, read whole: FFmpeg's verdict, then the streams it listed. The
// listed video goes to `video` when the listing passes.
CheckResult JudgeWholeListing(StreamListingReader& reader, std::optional<int> exit_code, std::string_view errors,
                              const OutputExpectation& expected, ListedStream* video) {
  reader.Finish();
  if (exit_code != 0) {
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

// A frame cut's output: its listing (as any cut's), then the copied packets must be the source's
// very packets and the encoded ones the encoder's, whose own measure of each frame is taken; the
// pictures at the start of each encoded run (were the encoder's frames the source's?) and after
// the join into the copied frames are compared. Where the encoder did not tell, or its packets are
// not the output's, every picture it made is compared. What FFmpeg reads runs side by side: what
// needs none of the output's timestamps along with its listing, the rest after it.
CheckResult CheckFrameCut(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                          const std::atomic<int>& abort) {
  const OutputExpectation::Frames& frames = *expected.frames;
  const CheckResult aborted{CheckFailure::kNone, 0, 0, true};
  // A join's B-frames and references reach this far into the copied frames at most.
  constexpr std::int64_t kSeamFrames = 16;
  const bool copies = frames.copied_first < frames.copied_end;
  const bool by_packets = !copies || frames.source_first_packet;
  const bool list_source = copies && by_packets && frames.copied_packets.empty();
  const auto told = [&](const OutputExpectation::Frames::Encoded& encoded) {
    return by_packets && encoded.psnr && !encoded.part_file.empty();
  };

  std::vector<CommandLine> commands{ListingCommand(ffmpeg, output)};
  if (list_source) commands.push_back(PacketListingCommand(ffmpeg, frames.source, frames.source_video));
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (told(encoded)) commands.push_back(PacketListingCommand(ffmpeg, encoded.part_file, 0));
  }
  // Spans from the output's start; without the copied packets' places, all of it.
  std::vector<Span> spans;
  if (!by_packets) spans.push_back(Span{0, frames.count, std::nullopt, frames.seek});
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (by_packets && encoded.first == 0) spans.push_back(Span{0, told(encoded) ? 1 : encoded.count, std::nullopt, encoded.source_seek});
  }
  if (copies && by_packets && frames.copied_first == 0) {
    spans.push_back(Span{0, std::min(kSeamFrames, frames.copied_end), std::nullopt, frames.copy_start});
  }
  std::size_t first_span = commands.size();
  for (const Span& span : spans) commands.push_back(PictureCompareCommand(ffmpeg, output, frames, span));
  std::vector<Reading> readings = ReadAllToEnd(commands, abort);
  for (const Reading& reading : readings) {
    if (reading.aborted) return aborted;
    if (!reading.started) return Failed(CheckFailure::kUnreadable);
  }
  StreamListingReader reader;
  reader.Feed(readings.front().output);
  ListedStream video;
  const CheckResult listed = JudgeWholeListing(reader, readings.front().exit_code, readings.front().output, expected, &video);
  if (!listed.passed()) return listed;
  std::vector<std::int64_t> shown = video.shown;
  std::sort(shown.begin(), shown.end());
  if (static_cast<std::int64_t>(shown.size()) < frames.count) return Failed(CheckFailure::kPacketCount, frames.count, 0);
  const auto time_of = [&](std::int64_t frame) { return static_cast<double>(shown[static_cast<std::size_t>(frame)]) * video.time_base; };

  // The spans from the output's own timestamps.
  std::vector<Span> later;
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (by_packets && encoded.first != 0) {
      later.push_back(Span{encoded.first, told(encoded) ? 1 : encoded.count, time_of(encoded.first), encoded.source_seek});
    }
  }
  if (copies && by_packets && frames.copied_first != 0) {
    later.push_back(Span{frames.copied_first, std::min(kSeamFrames, frames.copied_end - frames.copied_first),
                         time_of(frames.copied_first), frames.copy_start});
  }
  std::vector<CommandLine> later_commands;
  for (const Span& span : later) later_commands.push_back(PictureCompareCommand(ffmpeg, output, frames, span));
  for (Reading& reading : ReadAllToEnd(later_commands, abort)) {
    if (reading.aborted) return aborted;
    if (!reading.started) return Failed(CheckFailure::kUnreadable);
    readings.push_back(std::move(reading));
  }
  spans.insert(spans.end(), later.begin(), later.end());

  std::size_t next = 1;
  if (copies && by_packets) {
    std::vector<StreamPacket> listed_source;
    if (list_source) {
      listed_source = ScanPacketListing(readings[next++].output).packets;
      const auto from = std::min(listed_source.size(), static_cast<std::size_t>(*frames.source_first_packet));
      listed_source.erase(listed_source.begin(), listed_source.begin() + static_cast<std::ptrdiff_t>(from));
    }
    const auto count = static_cast<std::size_t>(frames.copied_end - frames.copied_first);
    if (const auto differs =
            FirstDifference(video.crcs, frames.copied_first, list_source ? listed_source : frames.copied_packets, count)) {
      return Failed(CheckFailure::kCopiedFrameChanged, frames.copied_first + static_cast<std::int64_t>(*differs));
    }
  }
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (!told(encoded)) continue;
    const PacketListing part = ScanPacketListing(readings[next++].output);
    const auto count = static_cast<std::size_t>(encoded.count);
    if (part.packets.size() == count && !FirstDifference(video.crcs, encoded.first, part.packets, count)) {
      for (std::size_t i = 0; i < encoded.psnr->size(); ++i) {
        const double decibels = (*encoded.psnr)[i];
        if (!(decibels >= kLeastPsnr)) {
          return Failed(CheckFailure::kPictureQuality, encoded.first + static_cast<std::int64_t>(i), std::llround(decibels * 10));
        }
      }
      continue;
    }
    // Not the encoder's packets: its word is no proof, the pictures are.
    const Span whole{encoded.first, encoded.count, encoded.first == 0 ? std::nullopt : std::optional<double>(time_of(encoded.first)),
                     encoded.source_seek};
    const Reading reading = ReadAllToEnd({PictureCompareCommand(ffmpeg, output, frames, whole)}, abort).front();
    if (reading.aborted) return aborted;
    const CheckResult judged = JudgePictures(reading, frames, whole);
    if (!judged.passed()) return judged;
  }
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const CheckResult judged = JudgePictures(readings[first_span + i], frames, spans[i]);
    if (!judged.passed()) return judged;
  }
  return {};
}

CheckResult ListAndJudge(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                         const std::atomic<int>& abort) {
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
  ListedStream video;
  return JudgeWholeListing(reader, child->ExitCode(), errors, expected, &video);
}

}  // namespace

CheckResult CheckOutput(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                        const std::atomic<int>& abort) {
  if (expected.frames) return CheckFrameCut(ffmpeg, output, expected, abort);
  const CheckResult listed = ListAndJudge(ffmpeg, output, expected, abort);
  if (!listed.passed()) return listed;
  return expected.decodes ? CheckDecoding(ffmpeg, output, abort) : listed;
}

}  // namespace clipwright

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

CommandLine PictureCompareCommand(const std::string& ffmpeg, const std::string& output,
                                  const OutputExpectation::Frames& frames) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -v error -i").AddQuoted(output);
  command.Add("-ss").Add(FixedText(frames.seek, 6)).Add("-i").AddQuoted(frames.source);
  // Both from 0, so that the filter pairs the frames in order.
  command.Add("-lavfi").Add("[1:" + std::to_string(frames.source_video) + "]trim=end_frame=" +
                            std::to_string(frames.count) + ",setpts=PTS-STARTPTS[source];[0:v:0]setpts=PTS-STARTPTS[cut];"
                            "[cut][source]psnr=stats_file=-");
  command.AddWords("-f null -");
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

// The PSNR filter's line of each frame ("n:1 mse_avg:… psnr_avg:48.83 …", "inf" for the very
// same picture), frame by frame against the source read from the same frame.
CheckResult ComparePictures(const std::string& ffmpeg, const std::string& output, const OutputExpectation::Frames& frames,
                            const std::atomic<int>& abort) {
  const Reading reading = ReadToEnd(PictureCompareCommand(ffmpeg, output, frames), abort);
  if (!reading.started) return Failed(CheckFailure::kUnreadable);
  if (reading.aborted) return CheckResult{CheckFailure::kNone, 0, 0, true};
  std::int64_t frame = 0;
  for (std::size_t start = 0; start < reading.output.size();) {
    const std::size_t end = std::min(reading.output.find('\n', start), reading.output.size());
    const std::string_view line = std::string_view(reading.output).substr(start, end - start);
    start = end + 1;
    const std::size_t psnr = line.find("psnr_avg:");
    if (!line.starts_with("n:") || psnr == std::string_view::npos) continue;
    const std::string_view value = line.substr(psnr + 9, line.find(' ', psnr) - psnr - 9);
    const bool copied = frame >= frames.copied_first && frame < frames.copied_end;
    if (value != "inf") {
      if (copied) return Failed(CheckFailure::kCopiedFrameChanged, frame);
      const double decibels = std::strtod(std::string(value).c_str(), nullptr);
      if (!(decibels >= kLeastPsnr)) return Failed(CheckFailure::kPictureQuality, frame, std::llround(decibels * 10));
    }
    ++frame;
  }
  if (reading.exit_code != 0) return Failed(CheckFailure::kDecodeError);
  return frame == frames.count ? CheckResult{} : Failed(CheckFailure::kPacketCount, frames.count, frame);
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
  reader.Finish();
  if (child->ExitCode() != 0) {
    // A file FFmpeg opens but finds no stream in ends the listing with an error too.
    const bool no_streams = errors.find("matches no streams") != std::string::npos ||
                            errors.find("does not contain any stream") != std::string::npos;
    return no_streams ? Failed(CheckFailure::kStreamCount, std::max<std::int64_t>(1, expected.streams.size()), 0)
                      : Failed(CheckFailure::kUnreadable);
  }
  return JudgeListing(reader.streams(), expected);
}

}  // namespace

CheckResult CheckOutput(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                        const std::atomic<int>& abort) {
  const CheckResult listed = ListAndJudge(ffmpeg, output, expected, abort);
  if (!listed.passed()) return listed;
  if (expected.frames) return ComparePictures(ffmpeg, output, *expected.frames, abort);
  return expected.decodes ? CheckDecoding(ffmpeg, output, abort) : listed;
}

}  // namespace clipwright

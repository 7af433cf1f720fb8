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

CommandLine ListingCommand(const std::string& ffmpeg, const std::string& output, const std::vector<ListedInput>& also) {
  CommandLine command(ffmpeg);
  // Nothing is decoded but what FFmpeg looks at when it opens a file, for which threads cost more
  // than they save.
  command.AddWords("-hide_banner -nostats -nostdin -loglevel error -threads 1 -i").AddQuoted(output);
  for (const ListedInput& input : also) command.AddWords("-threads 1 -i").AddQuoted(input.file);
  command.AddWords("-map 0");
  for (std::size_t i = 0; i < also.size(); ++i) command.Add("-map").Add(std::to_string(i + 1) + ":" + std::to_string(also[i].stream));
  command.AddWords("-c copy -f framecrc -");
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
  std::string picture = {};           // else the source's picture of it, kept raw by its encode
};

// One FFmpeg compares the spans: their frames of the output one after the other, and the
// source's likewise, numbered from 0 on both sides so that the filter pairs them in order. The
// source is decoded with `source_threads` threads (0: as many as FFmpeg likes).
CommandLine PictureCompareCommand(const std::string& ffmpeg, const std::string& output, const OutputExpectation::Frames& frames,
                                  const std::vector<Span>& spans, int source_threads = 1) {
  CommandLine command(ffmpeg);
  command.AddWords("-hide_banner -nostats -nostdin -v error");
  std::string graph, cut_labels, source_labels;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const Span& span = spans[i];
    // At the frames' very times: FFmpeg rounds them to the streams' ticks, decodes from the last
    // keyframe at or before them and passes over the frames before. A seek to a keyframe then
    // starts right there, not a whole GOP early.
    // By the output's own timestamps: where its streams start differs between containers.
    // The output's few frames from a keyframe with one decoding thread, whose threads would cost
    // more than they save.
    if (span.output_time) command.AddWords("-seek_timestamp 1 -ss").Add(FixedText(*span.output_time, 6));
    command.AddWords("-threads 1 -i").AddQuoted(output);
    if (span.picture.empty()) {
      command.Add("-ss").Add(FixedText(span.source_seek, 6)).Add("-threads").Add(std::to_string(source_threads));
      command.Add("-i").AddQuoted(frames.source);
    } else {
      command.AddWords("-threads 1 -i").AddQuoted(span.picture);
    }
    const std::string trim = "]trim=end_frame=" + std::to_string(span.count) + ",setpts=PTS-STARTPTS";
    const std::string n = std::to_string(i);
    graph.append("[").append(std::to_string(2 * i)).append(":v:0").append(trim).append("[c").append(n).append("];");
    graph.append("[").append(std::to_string(2 * i + 1)).append(":").append(span.picture.empty() ? std::to_string(frames.source_video) : "0");
    graph.append(trim).append("[s").append(n).append("];");
    cut_labels.append("[c").append(n).append("]");
    source_labels.append("[s").append(n).append("]");
  }
  // Frame N at N seconds on both sides, whatever their time bases.
  const std::string joined = "concat=n=" + std::to_string(spans.size()) + ":v=1:a=0,setpts=N/TB";
  graph += cut_labels + joined + "[cut];" + source_labels + joined + "[source];[cut][source]psnr=stats_file=-";
  command.Add("-lavfi").Add(graph);
  command.AddWords("-f null -");
  return command;
}

// The PSNR filter's line of each frame ("n:1 mse_avg:… psnr_avg:48.83 …", "inf" for the very
// same picture), the spans' frames in turn: a copied frame must be the source's, one encoded
// again close to it.
CheckResult JudgePictures(const Reading& reading, const OutputExpectation::Frames& frames, const std::vector<Span>& spans) {
  std::size_t span = 0;
  std::int64_t offset = 0;
  const auto next_span = [&] {
    while (span < spans.size() && offset == spans[span].count) {
      ++span;
      offset = 0;
    }
  };
  for (std::size_t start = 0; start < reading.output.size();) {
    const std::size_t end = std::min(reading.output.find('\n', start), reading.output.size());
    const std::string_view line = std::string_view(reading.output).substr(start, end - start);
    start = end + 1;
    const std::size_t psnr = line.find("psnr_avg:");
    if (!line.starts_with("n:") || psnr == std::string_view::npos) continue;
    next_span();
    if (span == spans.size()) return Failed(CheckFailure::kPacketCount, frames.count, frames.count + 1);
    const std::int64_t frame = spans[span].first + offset++;
    const std::string_view value = line.substr(psnr + 9, line.find(' ', psnr) - psnr - 9);
    if (value == "inf") continue;
    if (frame >= frames.copied_first && frame < frames.copied_end) return Failed(CheckFailure::kCopiedFrameChanged, frame);
    const double decibels = std::strtod(std::string(value).c_str(), nullptr);
    if (!(decibels >= kLeastPsnr)) return Failed(CheckFailure::kPictureQuality, frame, std::llround(decibels * 10));
  }
  if (reading.exit_code != 0) return Failed(CheckFailure::kDecodeError);
  next_span();
  return span == spans.size() ? CheckResult{} : Failed(CheckFailure::kPacketCount, frames.count, spans[span].first + offset);
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
CheckResult JudgeWholeListing(const std::vector<ListedStream>& streams, std::optional<int> exit_code,
                              std::string_view errors, const OutputExpectation& expected, ListedStream* video) {
  if (exit_code != 0) {
    // A file FFmpeg opens but finds no stream in ends the listing with an error too.
    const bool no_streams = errors.find("matches no streams") != std::string::npos ||
                            errors.find("does not contain any stream") != std::string::npos;
    return no_streams ? Failed(CheckFailure::kStreamCount, std::max<std::int64_t>(1, expected.streams.size()), 0)
                      : Failed(CheckFailure::kUnreadable);
  }
  const CheckResult judged = JudgeListing(streams, expected);
  if (judged.passed() && expected.cut_video && static_cast<std::size_t>(*expected.cut_video) < streams.size()) {
    *video = streams[static_cast<std::size_t>(*expected.cut_video)];
  }
  return judged;
}

// The frames compared, by where they start: from the output's start, or at `time_of` the output
// frame. Without the copied packets' places, all of them; else the first of each encoded run
// whose encoder told of every frame (were its frames the source's?), against the source's picture
// its encode kept where it did, the whole of each other run, and those after the join into the
// copied frames. In output order, so that the first to fail is the first.
template <typename Told, typename TimeOf>
std::vector<Span> SpansToCompare(const OutputExpectation::Frames& frames, bool by_packets, Told told, TimeOf time_of) {
  const auto at = [&](std::int64_t frame) { return frame == 0 ? std::nullopt : std::optional<double>(time_of(frame)); };
  if (!by_packets) return {Span{0, frames.count, std::nullopt, frames.seek}};
  std::vector<Span> spans;
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (told(encoded)) {
      spans.push_back(Span{encoded.first, 1, at(encoded.first), encoded.source_seek, encoded.first_picture_file});
    } else {
      spans.push_back(Span{encoded.first, encoded.count, at(encoded.first), encoded.source_seek});
    }
  }
  if (frames.copied_first < frames.copied_end) {
    spans.push_back(Span{frames.copied_first, std::min(frames.seam_frames, frames.copied_end - frames.copied_first),
                         at(frames.copied_first), frames.copy_start});
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
  return spans;
}

// A frame cut's output: its listing (as any cut's), then the copied packets must be the source's
// very packets and the encoded ones the encoder's, whose own measure of each frame is taken; the
// pictures at the start of each encoded run (were the encoder's frames the source's?) and after
// the join into the copied frames are compared. Where the encoder did not tell, or its packets are
// not the output's, every picture it made is compared. FFmpeg runs side by side: one lists the
// output and the parts whose packets it must hold, the others compare the pictures, seeking the
// output at the times its frames should have; where the listing shows other times, the pictures
// are compared again at those.
CheckResult CheckFrameCut(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                          const std::atomic<int>& abort) {
  const OutputExpectation::Frames& frames = *expected.frames;
  const CheckResult aborted{CheckFailure::kNone, 0, 0, true};
  const bool copies = frames.copied_first < frames.copied_end;
  const bool by_packets = !copies || frames.source_first_packet;
  const bool list_source = copies && by_packets && frames.copied_packets.empty();
  const auto told = [&](const OutputExpectation::Frames::Encoded& encoded) {
    return by_packets && encoded.psnr && !encoded.part_file.empty();
  };
  const auto run = [&](const std::vector<CommandLine>& commands, std::vector<Reading>* readings) {
    *readings = ReadAllToEnd(commands, abort);
    for (const Reading& reading : *readings) {
      if (reading.aborted) return aborted;
      if (!reading.started) return Failed(CheckFailure::kUnreadable);
    }
    return CheckResult{};
  };
  const auto compare = [&](const std::vector<Span>& spans) {
    std::vector<Reading> readings;
    const CheckResult ran = run({PictureCompareCommand(ffmpeg, output, frames, spans)}, &readings);
    return ran.passed() ? JudgePictures(readings.front(), frames, spans) : ran;
  };

  // After the output's streams, the listing holds the source's video, then the told parts'.
  std::vector<ListedInput> also;
  if (list_source) also.push_back(ListedInput{frames.source, frames.source_video});
  for (const OutputExpectation::Frames::Encoded& encoded : frames.encoded) {
    if (told(encoded)) also.push_back(ListedInput{encoded.part_file, 0});
  }
  const auto expected_time = [&](std::int64_t frame) { return static_cast<double>(frame) * frames.frame_step; };
  const std::vector<Span> spans = SpansToCompare(frames, by_packets, told, expected_time);
  // A first span read from the source in a run of its own, its source decoded with threads: it
  // begins where the cut does, mostly between keyframes, and decoding up to it is most of the
  // pictures' work. The others begin on keyframes of the output and the source, or the encode
  // kept the source's picture.
  const bool first_alone = !spans.empty() && spans.front().picture.empty();
  const auto split = spans.begin() + (first_alone ? 1 : 0);
  std::vector<std::vector<Span>> groups;
  if (first_alone) groups.emplace_back(spans.begin(), split);
  if (split != spans.end()) groups.emplace_back(split, spans.end());
  std::vector<CommandLine> commands{ListingCommand(ffmpeg, output, also)};
  for (std::size_t g = 0; g < groups.size(); ++g) {
    commands.push_back(PictureCompareCommand(ffmpeg, output, frames, groups[g], first_alone && g == 0 ? 0 : 1));
  }
  std::vector<Reading> readings;
  if (const CheckResult ran = run(commands, &readings); !ran.passed()) return ran;
  const std::string& listing = readings[0].output;
  std::vector<ListedStream> streams = ScanStreamListing(listing);
  const std::size_t output_streams = streams.size() > also.size() ? streams.size() - also.size() : 0;
  streams.resize(output_streams);
  ListedStream video;
  const CheckResult listed = JudgeWholeListing(streams, readings[0].exit_code, listing, expected, &video);
  if (!listed.passed()) return listed;
  std::vector<std::int64_t> shown = video.shown;
  std::sort(shown.begin(), shown.end());
  if (static_cast<std::int64_t>(shown.size()) < frames.count) return Failed(CheckFailure::kPacketCount, frames.count, 0);
  const auto time_of = [&](std::int64_t frame) { return static_cast<double>(shown[static_cast<std::size_t>(frame)]) * video.time_base; };

  std::size_t next = output_streams;
  if (copies && by_packets) {
    std::vector<StreamPacket> listed_source;
    if (list_source) {
      listed_source = ScanPacketListing(listing, next++).packets;
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
    const PacketListing part = ScanPacketListing(listing, next++);
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
    const CheckResult judged =
        compare({Span{encoded.first, encoded.count, encoded.first == 0 ? std::nullopt : std::optional<double>(time_of(encoded.first)),
                      encoded.source_seek}});
    if (!judged.passed()) return judged;
  }
  // A time within a quarter tick of the frame's is the frame's own, once FFmpeg has rounded it;
  // at any other, other frames were compared.
  const bool sought_right = std::all_of(spans.begin(), spans.end(), [&](const Span& span) {
    return !span.output_time || std::abs(*span.output_time - time_of(span.first)) <= video.time_base / 4;
  });
  if (!sought_right) return compare(SpansToCompare(frames, by_packets, told, time_of));
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (const CheckResult judged = JudgePictures(readings[1 + g], frames, groups[g]); !judged.passed()) return judged;
  }
  return CheckResult{};
}

CheckResult ListAndJudge(const std::string& ffmpeg, const std::string& output, const OutputExpectation& expected,
                         const std::atomic<int>& abort) {
  const std::unique_ptr<platform::ChildProcess> child =
      platform::ChildProcess::Start(ListingCommand(ffmpeg, output, {}).Text());
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
  ListedStream video;
  return JudgeWholeListing(reader.streams(), child->ExitCode(), errors, expected, &video);
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

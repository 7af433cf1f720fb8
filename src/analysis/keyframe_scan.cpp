// The keyframe scan of the split page's video. FFmpeg lists the video's packets, which tell
// every frame, every keyframe and each keyframe's decode time without decoding; the picture of
// the first keyframe is made at once and the others when they are wanted. A video whose listing
// cannot tell its frames (packets without presentation times) is decoded instead: every frame is
// logged and every keyframe pictured, the way the page first did it.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/keyframe_picture.h"
#include "analysis/packet_frames.h"
#include "analysis/split_scans.h"
#include "tools/command_line.h"
#include "platform/temp_folder.h"
#include "tools/output_scanner.h"
#include "tools/packet_listing.h"
#include "tools/tool_runner.h"

namespace clipwright {
namespace {

// A keyframe and a key packet are the same picture when their presentation times are this close
// (FFmpeg prints the frame times to the microsecond; Matroska keeps milliseconds on both sides).
constexpr double kSameTime = 0.0005;

enum class ScanWay { kListing, kDecoding };

void ShowKeyframeNumber(RunObserver& observer, std::uint32_t frame) {
  observer.StageReached(StageEvent{Stage::kKeyframeNumber, {}, frame});
}

// The picture names FFmpeg fills in, in `folder`; a "%" of the folder's own is written "%%", so
// that FFmpeg does not take it for a place to fill.
std::string PicturePattern(const std::string& folder) {
  std::string pattern;
  for (const char c : folder) pattern += c == '%' ? std::string("%%") : std::string(1, c);
  return pattern + "%10d.bmp";
}

// The decoding scan's keyframes matched to their packets: the decode time of each keyframe, then
// the end of the video; and, when every keyframe was matched, the place of each one's packet in
// the listing, then the number of packets. A keyframe whose packet cannot be told keeps its
// presentation time, which is right for a video without B-frames.
std::vector<double> DecodeTimes(const AnalysisResult& scan, std::vector<KeyPacket> packets, std::int64_t packet_count,
                                std::vector<std::int64_t>* places) {
  std::vector<double> times;
  times.reserve(scan.keyframe_count + 1);
  places->clear();
  for (std::uint32_t k = 0; k < scan.keyframe_count; ++k) times.push_back(scan.frame_times[scan.keyframe_frames[k]]);
  std::vector<std::int64_t> matched(times.size(), -1);
  const bool timed = !packets.empty() && std::all_of(packets.begin(), packets.end(), [](const KeyPacket& packet) {
    return packet.presentation_time.has_value();
  });
  if (timed) {
    std::sort(packets.begin(), packets.end(), [](const KeyPacket& x, const KeyPacket& y) {
      return *x.presentation_time < *y.presentation_time;
    });
    for (double& time : times) {
      // The first key packet shown no earlier than the keyframe less kSameTime: it is the
      // keyframe's own when it is shown no later than the keyframe plus kSameTime.
      auto at = std::lower_bound(packets.begin(), packets.end(), time - kSameTime,
                                 [](const KeyPacket& packet, double t) { return *packet.presentation_time < t; });
      if (at != packets.end() && std::abs(*at->presentation_time - time) <= kSameTime) {
        time = at->decode_time;
        matched[static_cast<std::size_t>(&time - times.data())] = at->place;
      }
    }
  } else if (packets.size() == times.size()) {
    // Without presentation times (raw streams, AVI) the keyframes come in the same order.
    for (std::size_t k = 0; k < times.size(); ++k) {
      times[k] = packets[k].decode_time;
      matched[k] = packets[k].place;
    }
  }
  matched.push_back(packet_count);
  // Every keyframe matched, and in decode order: otherwise no run of packets lies between two.
  if (std::none_of(matched.begin(), matched.end(), [](std::int64_t place) { return place < 0; }) &&
      std::adjacent_find(matched.begin(), matched.end(), std::greater_equal<>()) == matched.end()) {
    *places = std::move(matched);
  }
  times.push_back(scan.frame_times[scan.last_frame_index]);
  return times;
}

// The decoding scan: frames and keyframes from the select filter's log, a picture of every
// keyframe written into `folder`, which the page's pictures then own. A RunVerdict.
int ScanByDecoding(SplitPageState& split, RunObserver& observer, const std::atomic<int>& abort,
                   const std::string& ffmpeg, const std::string& path, const std::string& folder,
                   const PacketListing& listing, bool* too_many_frames) {
  CommandLine command(ffmpeg);
  command.AddWords("-loglevel debug -hide_banner -nostats -i").AddQuoted(path);
  command.AddWords("-map 0:V:0 -y -an -sn -dn -vsync 0");
  AddKeyframePictureFilters(command);
  command.AddWords("-frame_pts true").AddQuoted(PicturePattern(folder));
  auto scan = std::make_unique<AnalysisResult>();
  const int verdict = ScanOutput(*scan, observer, abort, command.Text(), SCAN_KEYFRAMES, nullptr, 0);
  *too_many_frames = scan->too_many_frames;
  if (verdict != VERDICT_SUCCESS) return verdict;

  observer.Report(Stage::kLoadingKeyframes);
  split.last_frame_index = scan->last_frame_index;
  split.keyframe_count = scan->keyframe_count;
  split.keyframe_frames = scan->keyframe_frames;
  split.keyframe_decode_times = DecodeTimes(*scan, KeyPacketsOf(listing),
                                            static_cast<std::int64_t>(listing.packets.size()), &split.keyframe_packets);
  split.frame_times = std::move(scan->frame_times);
  // Only pictures in the scan's own folder are read (a path elsewhere, from a garbled log, is not).
  std::vector<std::string> pictures;
  for (std::string& image : scan->keyframe_images) pictures.push_back(image.starts_with(folder) ? std::move(image) : "");
  split.pictures.OpenFiles(std::move(pictures), folder, PictureSource{ffmpeg, path, {}, split.frame_times});
  return VERDICT_SUCCESS;
}

// The listing, then the frames it tells or, when it cannot tell them, the decoding scan. With
// ScanWay::kDecoding the video is decoded whatever the listing tells. A RunVerdict.
int RunScan(SplitPageState& split, RunObserver& observer, const std::atomic<int>& abort, const std::string& ffmpeg,
            const std::string& path, const std::string& folder, ScanWay way, bool* too_many_frames) {
  // Both runs look at the first video stream that is no cover picture, which is also the one
  // FFmpeg's seek goes by. Only errors on the standard error, which shares the pipe with the
  // listing.
  CommandLine listing_command(ffmpeg);
  listing_command.AddWords("-hide_banner -nostats -loglevel error -i").AddQuoted(path);
  listing_command.AddWords("-map 0:V:0 -c copy -f framecrc -");
  std::string listing_text;
  // No live progress: the probe's mode shows none.
  if (RunTool(listing_text, observer, abort, listing_command.Text(), SCAN_PROBE, 0) == 0) {
    observer.Report(Stage::kToolNotStarted);
    return VERDICT_FAILURE;
  }
  if (abort.load() != 0) return VERDICT_ABORTED;
  const PacketListing listing = ScanPacketListing(listing_text);
  listing_text = std::string();

  const PacketFrames frames = way == ScanWay::kListing ? FramesFromPackets(listing, split) : PacketFrames::kUnusable;
  if (frames == PacketFrames::kTooManyFrames) *too_many_frames = true;
  const auto keep_checksums = [&] {
    split.packet_crcs.clear();
    if (split.keyframe_packets.empty()) return;
    for (const StreamPacket& packet : listing.packets) split.packet_crcs.push_back(packet.crc);
  };
  if (frames != PacketFrames::kStored) {
    if (frames != PacketFrames::kUnusable) return VERDICT_FAILURE;
    const int verdict = ScanByDecoding(split, observer, abort, ffmpeg, path, folder, listing, too_many_frames);
    if (verdict == VERDICT_SUCCESS) keep_checksums();
    return verdict;
  }
  keep_checksums();

  observer.Report(Stage::kLoadingKeyframes);
  PictureSource source{ffmpeg, path, {}, split.frame_times};
  for (std::uint32_t k = 0; k < split.keyframe_count; ++k) source.keyframe_times.push_back(split.frame_times[split.keyframe_frames[k]]);
  split.pictures.Open(std::move(source), folder);
  // The page shows the first keyframe's picture as soon as it opens the video.
  if (split.keyframe_count == 0) return VERDICT_SUCCESS;
  ShowKeyframeNumber(observer, split.keyframe_frames[0]);
  return split.pictures.MakeNow(0, abort) == VERDICT_ABORTED ? VERDICT_ABORTED : VERDICT_SUCCESS;
}

int ScanKeyframesBy(ScanWay way, const std::string& ffmpeg, const std::string& path, SplitPageState& split,
                    RunObserver& observer, const std::atomic<int>& abort) {
  split.pictures.Clear();
  split.keyframe_count = 0;
  observer.Report(Stage::kScanningVideo);

  const std::optional<std::string> folder = platform::MakeTempFolder("clipwright-keyframes-");
  bool too_many_frames = false;
  const int verdict =
      folder ? RunScan(split, observer, abort, ffmpeg, path, *folder, way, &too_many_frames) : VERDICT_FAILURE;
  // From here on the pictures own the folder: the page's next video, or the page's end, removes it.
  if (verdict == VERDICT_SUCCESS) return 1;

  if (verdict == VERDICT_FAILURE) observer.Report(too_many_frames ? Stage::kTooManyFrames : Stage::kScanFailed);
  // The pictures go with the range, and the folder with them once they had it.
  ClearSplitFrames(split);
  if (folder) platform::RemoveTempFolder(*folder);
  return 0;
}

}  // namespace

int ScanKeyframes(const std::string& ffmpeg, const std::string& path, SplitPageState& split, RunObserver& observer,
                  const std::atomic<int>& abort) {
  return ScanKeyframesBy(ScanWay::kListing, ffmpeg, path, split, observer, abort);
}

int ScanKeyframesByDecoding(const std::string& ffmpeg, const std::string& path, SplitPageState& split,
                            RunObserver& observer, const std::atomic<int>& abort) {
  return ScanKeyframesBy(ScanWay::kDecoding, ffmpeg, path, split, observer, abort);
}

}  // namespace clipwright

// Timing program for scripts/bench-split: the split page's keyframe scan of one video as the page
// runs it, the decoding scan it replaced, and the pictures made as a trackbar moves.
//   split_bench open <ffmpeg> <video>     the scan from the packet listing, first picture included
//   split_bench decode <ffmpeg> <video>   the scan that decodes the whole video
//   split_bench pictures <ffmpeg> <video> <moves> <fill>
//       opens the video, moves the start trackbar `moves` times to a keyframe whose picture is
//       not made yet, pausing between moves as a user looking at the picture does, and times each
//       move until the page shows the picture; then makes `fill` more moves without pausing, and
//       reports the memory the pictures hold.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_job.h"
#include "ui/split_range.h"
#include "analysis/split_scans.h"
#include "ui/control_ids.h"
#include "common/limits.h"
#include "win32/fake_dialog.h"

namespace {

using namespace clipwright;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct BenchPage {
  explicit BenchPage(const char* ffmpeg) {
    requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, ffmpeg);
    split.video_kind = 2;
    job.target = kSplitTarget;
    job.split = &split;
    split.pictures.SetReadyNotice([this] {
      std::lock_guard lock(mutex);
      ++notices;
      notice_came.notify_all();
    });
  }
  testing::FakeDialog& page() { return requests.page(PAGE_SPLIT); }

  // Moves the start trackbar to keyframe k; the seconds until the page shows its picture.
  double MoveTo(std::uint32_t k) {
    std::unique_lock lock(mutex);
    const int before = notices;
    lock.unlock();
    const auto start = Clock::now();
    page().SetTrackPosition(IDC_SPLIT_START_TRACK, static_cast<int>(k));
    MoveSplitStart(split, page());
    if (page().ShownPicture(IDC_SPLIT_PICTURE) != split.pictures.Of(k).get() || !split.pictures.Of(k)) {
      lock.lock();
      notice_came.wait_for(lock, std::chrono::seconds(60), [&] { return notices > before; });
      lock.unlock();
      OnSplitPictureReady(split, page());
    }
    const double seconds = Since(start);
    if (!split.pictures.Of(k) || page().ShownPicture(IDC_SPLIT_PICTURE) != split.pictures.Of(k).get()) {
      std::fprintf(stderr, "keyframe %u: no picture shown\n", k);
      std::exit(1);
    }
    return seconds;
  }

  testing::FakeRequests requests;
  testing::FakeDialog progress;
  std::mutex mutex;
  std::condition_variable notice_came;
  int notices = 0;
  SplitPageState split;  // after what its picture maker tells: it goes first
  AnalysisJob job;
};

int Scan(BenchPage& bench, const char* video, bool decode) {
  const auto scan = decode ? ScanKeyframesByDecoding : ScanKeyframes;
  const auto start = Clock::now();
  const int result = scan(bench.job, bench.progress, bench.page(), bench.requests, video);
  const double seconds = Since(start);
  if (result != 1) {
    std::fprintf(stderr, "scan failed: %s\n", bench.progress.Text(IDC_PROGRESS_PROCESS).c_str());
    std::exit(1);
  }
  OnSplitAnalysed(bench.split, bench.page());
  std::printf("seconds=%.3f frames=%u keyframes=%u thumbnail_bytes=%zu\n", seconds, bench.split.last_frame_index,
              bench.split.keyframe_count, bench.split.pictures.Bytes());
  return 0;
}

int Pictures(BenchPage& bench, const char* video, int moves, int fill) {
  if (ScanKeyframes(bench.job, bench.progress, bench.page(), bench.requests, video) != 1) return 1;
  OnSplitAnalysed(bench.split, bench.page());
  const std::uint32_t count = bench.split.keyframe_count;
  if (count < 4) return 1;
  std::vector<double> times;
  // Keyframes spread over the video; a neighbour of one shown before is made ahead, and skipped.
  for (int i = 0; i < moves; ++i) {
    std::uint32_t k = 2 + static_cast<std::uint32_t>(static_cast<std::uint64_t>(i) * (count - 3) / moves);
    while (k + 1 < count && bench.split.pictures.Of(k)) ++k;
    if (bench.split.pictures.Of(k)) continue;
    times.push_back(bench.MoveTo(k));
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  for (int i = 0; i < fill; ++i) bench.MoveTo(static_cast<std::uint32_t>(std::uint64_t{7919} * i % (count - 1)));
  std::sort(times.begin(), times.end());
  if (times.empty()) return 1;
  std::printf("pictures=%zu median=%.3f max=%.3f thumbnail_bytes=%zu\n", times.size(), times[times.size() / 2],
              times.back(), bench.split.pictures.Bytes());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc < 4 || (mode == "pictures" && argc != 6) || (mode != "open" && mode != "decode" && mode != "pictures")) {
    std::fprintf(stderr, "usage: split_bench open|decode <ffmpeg> <video> | pictures <ffmpeg> <video> <moves> <fill>\n");
    return 2;
  }
  BenchPage bench(argv[2]);
  if (mode == "pictures") return Pictures(bench, argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  return Scan(bench, argv[3], mode == "decode");
}

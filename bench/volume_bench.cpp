// Timing program for scripts/bench-volume: runs the volume job over files, as the page's run
// button would, with in-memory pages.
//   volume_bench <ffmpeg> <aacgain> <file>...
// Prints one line per status the job showed, then the summary; exits 0 when every file succeeded.
#include <cstdio>
#include <string>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "win32/fake_dialog.h"
#include "volume/volume_worker.h"

int main(int argc, char** argv) {
  using namespace clipwright;
  if (argc < 4) {
    std::fprintf(stderr, "usage: volume_bench <ffmpeg> <aacgain> <file>...\n");
    return 2;
  }
  testing::FakeRequests requests;
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, argv[1]);
  requests.page(PAGE_SETTINGS).SetText(IDC_AACGAIN_PATH, argv[2]);
  testing::FakeDialog& page = requests.page(PAGE_VOLUME);
  page.SetText(IDC_VOLUME_TARGET, "100.0");
  FileList files;
  for (int i = 3; i < argc; ++i) {
    // The line the probe stores for an MP3; the job looks for its "Audio: mp3".
    files.files.push_back(FileEntry{{StreamEntry{"Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s", 1}}, 0});
    page.AddRows(IDC_VOLUME_FILES, {argv[i]});
  }
  VolumeJob job;
  job.files = &files;
  testing::FakeDialog progress;
  VolumeWorker(job, progress, page, requests);
  for (const std::string& status : progress.TextHistory(IDC_PROGRESS_PROCESS)) std::printf("%s\n", status.c_str());
  const std::string summary = progress.Text(IDC_PROGRESS_STATUS);
  std::printf("%s\n", summary.c_str());
  const std::string all_done = "失敗： 0 ファイル";
  return summary.size() >= all_done.size() && summary.ends_with(all_done) ? 0 : 1;
}

// The split page in memory: a file opened on it is probed and scanned by the real analysis worker
// with this build's FFmpeg. And what the tests judge a cut by: the packets of a file.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_job.h"
#include "common/limits.h"
#include "win32/fake_dialog.h"
#include "support/temp_dir.h"

namespace clipwright::testing {

struct FakeSplitPage {
  FakeSplitPage();
  ~FakeSplitPage();
  FakeDialog& page() { return requests.page(PAGE_SPLIT); }
  // Opens `path` as a drop does; the analysis dialog's end result (2 after a failed scan).
  int Open(const std::string& path);
  // Shows keyframe k's picture as the page does when a trackbar stops there: at once when it is
  // at hand, else once the store's notice has come (at most 60 s). The picture shown, or null.
  const Picture* ShowPicture(std::uint32_t k);

  FakeRequests requests;
  FakeDialog progress;
  std::mutex notice_mutex;
  std::condition_variable notice_came;
  int notices = 0;
  SplitPageState split;
  AnalysisJob job;
};

struct ListedPacket {
  double presentation_time = 0;
  bool key = false;
  std::string crc;  // of the packet's data
};
// The packets of a file's first video stream, in decode order.
std::vector<ListedPacket> ListVideoPackets(const std::string& path);

// While it lives, the user's temporary folder (TMPDIR, TMP, TEMP) is `folder`.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const TempDir& folder);
  ~TempFolderOverride();

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;  // none: it was not set
};

}  // namespace clipwright::testing

// The split page in memory for the tests: a file opened on it is probed and scanned by the real
// analysis worker with this build's FFmpeg; and the packets of a media file, to judge a cut by.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_job.h"
#include "common/limits.h"
#include "support/fake_dialog.h"
#include "support/temp_dir.h"

namespace clipwright::testing {

struct FakeSplitPage {
  FakeSplitPage();
  FakeDialog& page() { return requests.page(PAGE_SPLIT); }
  // Opens `path` as a drop does; returns the analysis dialog's end result (1, or 2 after a failed
  // or aborted scan).
  int Open(const std::string& path);

  FakeRequests requests;
  FakeDialog progress;
  SplitPageState split;
  AnalysisJob job;
};

// One video packet of a file, as FFmpeg lists it.
struct ListedPacket {
  double decode_time = 0;
  double presentation_time = 0;
  bool key = false;
  std::string crc;  // of the packet's data
};
// The packets of a file's first video stream in decode order; empty when FFmpeg cannot list them.
std::vector<ListedPacket> ListVideoPackets(const std::string& path);

// While it lives, the user's temporary folder (TMPDIR, TMP, TEMP) is `folder`.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const TempDir& folder);
  ~TempFolderOverride();
  TempFolderOverride(const TempFolderOverride&) = delete;
  TempFolderOverride& operator=(const TempFolderOverride&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace clipwright::testing

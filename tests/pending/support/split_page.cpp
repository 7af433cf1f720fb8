#include "support/split_page.h"

#include <cstdlib>
#include <optional>

#include "analysis/file_intake.h"
#include "ui/split_range.h"
#include "analysis/split_scans.h"
#include "ui/control_ids.h"
#include "support/media.h"
#include "test_config.h"
#include "tools/scan_text.h"

namespace clipwright::testing {
namespace {

// Sets the variable, or removes it when there is no value: one left empty is no folder, and
// the next test's temporary folder could not be found.
void SetVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value->c_str() : "");  // an empty value removes it
#else
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

}  // namespace

FakeSplitPage::FakeSplitPage() {
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
  job.target = kSplitTarget;
  job.split = &split;
  job.split_scan = ScanSplitFile;
  job.split_analysed = [this](Dialog& page) { OnSplitAnalysed(split, page); };
  split.pictures.SetReadyNotice([this] {
    std::lock_guard lock(notice_mutex);
    ++notices;
    notice_came.notify_all();
  });
}

// The store's thread must not tell a page that is gone.
FakeSplitPage::~FakeSplitPage() { split.pictures.Clear(); }

const Picture* FakeSplitPage::ShowPicture(std::uint32_t k) {
  std::unique_lock lock(notice_mutex);
  const int before = notices;
  lock.unlock();
  const KeyframePictures::Wanted wanted = split.pictures.Want(k);
  if (wanted.state != KeyframePictures::State::kComing) {
    page().ShowPicture(IDC_SPLIT_PICTURE, wanted.picture.get());
  } else {
    lock.lock();
    notice_came.wait_for(lock, std::chrono::seconds(60), [&] { return notices > before; });
    lock.unlock();
    OnSplitPictureReady(split, page());
  }
  return page().ShownPicture(IDC_SPLIT_PICTURE);
}

int FakeSplitPage::Open(const std::string& path) {
  job.paths = {path};
  AnalysisWorker(job, progress, page(), requests);
  return progress.end_result();
}

std::vector<ListedPacket> ListVideoPackets(const std::string& path) {
  // Only errors on the standard error, which shares the pipe: nothing comes between the lines.
  const std::string listing = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -nostats -v error -i " +
                                         Quoted(path) + " -map 0:v:0 -c copy -f framecrc -")
                                  .value_or("");
  const std::size_t tb = listing.find("#tb 0: ");
  if (tb == std::string::npos) return {};
  const double time_base = 1.0 / static_cast<double>(scan::ReadInteger(listing.substr(listing.find('/', tb) + 1)));
  std::vector<ListedPacket> packets;
  for (std::size_t at = 0; (at = listing.find_first_of("\r\n", at)) != std::string::npos; ++at) {
    if (listing.compare(at + 1, 2, "0,") != 0) continue;
    std::vector<std::string> fields;
    std::string line = listing.substr(at + 1, listing.find_first_of("\r\n", at + 1) - at - 1);
    for (std::size_t from = 0, comma; from <= line.size(); from = comma + 1) {
      comma = std::min(line.find(',', from), line.size());
      fields.push_back(line.substr(from, comma - from));
    }
    const std::size_t flags = line.find("F=0x");
    packets.push_back({static_cast<double>(scan::ReadInteger(fields[2])) * time_base,
                       flags == std::string::npos || (std::strtoul(line.c_str() + flags + 4, nullptr, 16) & 1) != 0,
                       fields[5]});
  }
  return packets;
}

TempFolderOverride::TempFolderOverride(const TempDir& folder) {
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    SetVariable(name, folder.path());
  }
}

TempFolderOverride::~TempFolderOverride() {
  for (const auto& [name, value] : saved_) SetVariable(name, value);
}

}  // namespace clipwright::testing

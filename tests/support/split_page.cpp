#include "support/split_page.h"

#include <cstdlib>

#include "analysis/file_intake.h"
#include "analysis/split_range.h"
#include "analysis/split_scans.h"
#include "common/control_ids.h"
#include "support/media.h"
#include "test_config.h"
#include "tools/scan_text.h"

namespace clipwright::testing {
namespace {

constexpr const char* kTempVariables[] = {"TMPDIR", "TMP", "TEMP"};

void SetVariable(const std::string& name, const std::string& value) {
  // putenv keeps the string it is given, so each one lives as long as the program.
  auto* entry = new std::string(name + "=" + value);
  putenv(entry->data());
}

}  // namespace

FakeSplitPage::FakeSplitPage() {
  requests.page(PAGE_SETTINGS).SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg);
  page().AddCombo(IDC_SPLIT_CONTAINER, {"mp4", "mkv"}, 0);
  job.target = kSplitTarget;
  job.split = &split;
  job.split_scan = ScanSplitFile;
  job.split_analysed = [this](Dialog& page) { OnSplitAnalysed(split, page); };
}

int FakeSplitPage::Open(const std::string& path) {
  job.paths = {path};
  AnalysisWorker(job, progress, page(), requests);
  return progress.end_result();
}

std::vector<ListedPacket> ListVideoPackets(const std::string& path) {
  std::vector<ListedPacket> packets;
  // Only errors on the standard error, which shares the pipe: nothing comes between the lines.
  const auto listing = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -nostats -v error -i " + Quoted(path) +
                                  " -map 0:v:0 -c copy -f framecrc -");
  if (!listing) return packets;
  const std::size_t tb = listing->find("#tb 0: ");
  if (tb == std::string::npos) return packets;
  const std::size_t slash = listing->find('/', tb);
  const double time_base = static_cast<double>(scan::ReadInteger(listing->substr(tb + 7, slash - tb - 7))) /
                           static_cast<double>(scan::ReadInteger(listing->substr(slash + 1, 12)));
  for (std::size_t at = 0; (at = listing->find_first_of("\r\n", at)) != std::string::npos; ++at) {
    if (listing->compare(at + 1, 2, "0,") != 0) continue;
    std::vector<std::string> fields;
    const std::size_t end = listing->find_first_of("\r\n", at + 1);
    std::string line = listing->substr(at + 1, end - at - 1);
    for (std::size_t from = 0, comma; from <= line.size(); from = comma + 1) {
      comma = std::min(line.find(',', from), line.size());
      fields.push_back(line.substr(from, comma - from));
    }
    if (fields.size() < 6) continue;
    ListedPacket packet;
    packet.decode_time = static_cast<double>(scan::ReadInteger(fields[1])) * time_base;
    packet.presentation_time = static_cast<double>(scan::ReadInteger(fields[2])) * time_base;
    packet.crc = fields[5];
    packet.key = fields.size() < 7 || fields[6].find("F=0x") == std::string::npos ||
                 (std::strtoul(fields[6].substr(fields[6].find("0x")).c_str(), nullptr, 16) & 1) != 0;
    packets.push_back(packet);
  }
  return packets;
}

TempFolderOverride::TempFolderOverride(const TempDir& folder) {
  for (const char* name : kTempVariables) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? value : "");
    SetVariable(name, folder.path());
  }
}

TempFolderOverride::~TempFolderOverride() {
  for (const auto& [name, value] : saved_) SetVariable(name, value);
}

}  // namespace clipwright::testing

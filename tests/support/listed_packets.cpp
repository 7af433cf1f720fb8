#include "support/listed_packets.h"

#include <algorithm>
#include <cstdlib>

#include "support/media.h"
#include "tools/scan_text.h"

namespace clipwright::testing {

std::vector<ListedPacket> ListVideoPackets(const std::string& path) {
  // Only errors on the standard error, which shares the pipe: nothing comes between the lines.
  const std::string listing = RunCommand(FfmpegCommand() + " -hide_banner -nostdin -nostats -v error -i " +
                                         Quoted(path) + " -map 0:v:0 -c copy -f framecrc -")
                                  .value_or("");
  const std::size_t tb = listing.find("#tb 0: ");
  if (tb == std::string::npos) return {};
  const std::size_t slash = listing.find('/', tb);
  const double time_base = static_cast<double>(scan::ReadInteger(listing.substr(tb + 7, slash - tb - 7))) /
                           static_cast<double>(scan::ReadInteger(listing.substr(slash + 1)));
  std::vector<ListedPacket> packets;
  for (std::size_t at = 0; (at = listing.find_first_of("\r\n", at)) != std::string::npos; ++at) {
    if (listing.compare(at + 1, 2, "0,") != 0) continue;
    std::vector<std::string> fields;
    const std::string line = listing.substr(at + 1, listing.find_first_of("\r\n", at + 1) - at - 1);
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

}  // namespace clipwright::testing

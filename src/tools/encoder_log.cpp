#include "tools/encoder_log.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

#include "tools/scan_text.h"

namespace clipwright {
namespace {

using scan::npos;

// The number after `key` in `line`; none when the key is missing.
std::optional<double> ValueAfter(std::string_view line, std::string_view key) {
  const std::size_t at = line.find(key);
  if (at == npos) return std::nullopt;
  return scan::ReadDecimal(line.substr(at + key.size()));
}

// A frame was doubled or dropped: FFmpeg's progress line then carries a count above zero.
bool FramesDoubledOrDropped(std::string_view log) {
  for (const std::string_view key : {"dup=", "drop="}) {
    for (std::size_t at = log.find(key); at != npos; at = log.find(key, at + 1)) {
      if (scan::ReadInteger(log.substr(at + key.size(), 12)) != 0) return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::vector<double>> EncodedFramePsnr(std::string_view log, std::size_t frames, int luma_weight) {
  struct Frame {
    int idr_period;  // the picture order count starts again at every IDR frame
    std::int64_t order;
    double psnr;
  };
  std::vector<Frame> found;
  int period = -1;
  for (std::size_t start = 0; start < log.size();) {
    const std::size_t end = std::min(scan::FindLineEnd(log, start), log.size());
    const std::string_view line = log.substr(start, end - start);
    start = end + 1;
    if (line.find("[libx264 @") == npos || line.find("] frame=") == npos) continue;
    const std::size_t poc = line.find(" Poc:");
    const std::optional<double> y = ValueAfter(line, "PSNR Y:");
    const std::optional<double> u = ValueAfter(line, " U:");
    const std::optional<double> v = ValueAfter(line, " V:");
    if (poc == npos || !y || !u || !v) return std::nullopt;
    const std::int64_t order = scan::ReadInteger(line.substr(poc + 5, 12));
    if (order == 0) ++period;
    // The planes' mean squared errors, as parts of the largest, weighed by their sizes.
    const auto error = [](double decibels) { return std::pow(10.0, -decibels / 10); };
    const double mean = (luma_weight * error(*y) + error(*u) + error(*v)) / (luma_weight + 2);
    found.push_back(Frame{std::max(period, 0), order, -10 * std::log10(mean)});
  }
  if (found.size() != frames || FramesDoubledOrDropped(log)) return std::nullopt;
  std::stable_sort(found.begin(), found.end(), [](const Frame& a, const Frame& b) {
    return std::tie(a.idr_period, a.order) < std::tie(b.idr_period, b.order);
  });
  std::vector<double> psnr;
  psnr.reserve(found.size());
  for (const Frame& frame : found) psnr.push_back(frame.psnr);
  return psnr;
}

}  // namespace clipwright

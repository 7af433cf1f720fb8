#include "volume/target_level.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace clipwright {
namespace {

// The leading decimal number of the text, as the C runtime's _wtof reads it but independent of
// the locale; 0 when there is none.
double LeadingNumber(std::string_view text) {
  std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return 0;
  if (text[start] == '+') ++start;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  (void)end;
  if (error != std::errc() || !std::isfinite(value)) return 0;
  return value;
}

}  // namespace

double ReadTargetLevel(std::string_view text) {
  return std::clamp(LeadingNumber(text), kTargetLevelMin, kTargetLevelMax);
}

std::string StepTargetLevel(std::string_view text, int delta) {
  double level = LeadingNumber(text) + (delta < 0 ? 0.1 : -0.1);
  level = std::clamp(level, kTargetLevelMin, kTargetLevelMax);
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, level, std::chars_format::fixed, 1);
  return std::string(buffer, result.ptr);
}

}  // namespace clipwright

#include "tools/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace clipwright {

std::string FixedText(double value, int decimals, int width) {
  if (!std::isfinite(value)) return std::signbit(value) ? "-inf" : std::isnan(value) ? "nan" : "inf";
  // A double in fixed notation needs at most 309 digits before the point.
  char buffer[400];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return {};
  std::string text(buffer, end);
  const bool negative = !text.empty() && text[0] == '-';
  if (static_cast<int>(text.size()) < width) {
    text.insert(negative ? 1 : 0, static_cast<std::size_t>(width) - text.size(), '0');
  }
  return text;
}

}  // namespace clipwright

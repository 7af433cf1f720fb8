#include "tools/scan_text.h"

#include <charconv>
#include <limits>

namespace clipwright::scan {
namespace {

// White space as the C locale has it, which is what atoi and atof skip.
std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  return i;
}

}  // namespace

std::int64_t ReadInteger(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
  }
  return negative ? -value : value;
}

double ReadDecimal(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  // from_chars takes a minus sign but no plus sign; atof takes both.
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (error != std::errc()) return 0;
  return negative ? -value : value;
}

std::size_t ForwardFinder::From(std::size_t from) {
  if (searched_from_ != npos && from >= searched_from_ && (hit_ == npos || hit_ >= from)) return hit_;
  searched_from_ = from;
  if (from > text_.size()) {
    hit_ = npos;
  } else {
    hit_ = kind_ == kAnyOf ? text_.find_first_of(pattern_, from) : text_.find(pattern_, from);
  }
  return hit_;
}

std::string_view LimitUtf16(std::string_view utf8, std::size_t units) {
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t cost = length == 4 ? 2 : 1;  // outside the BMP: a surrogate pair
    if (used + cost > units) break;
    used += cost;
    i += length;
  }
  return utf8.substr(0, i < utf8.size() ? i : utf8.size());
}

}  // namespace clipwright::scan

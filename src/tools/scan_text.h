// Small pieces the scanners share: byte searches, line ends, spans clamped to the capture, and
// numbers read the way atoi/atof read them, but never through the user's locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace clipwright::scan {

inline constexpr std::size_t npos = std::string_view::npos;

inline bool StartsAt(std::string_view text, std::size_t at, std::string_view pattern) {
  return at <= text.size() && text.substr(at, pattern.size()) == pattern;
}

inline std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from) {
  return from > text.size() ? npos : text.find(pattern, from);
}

// The first line end at or after `from`: a CR or an LF. Windows tools end lines in CR LF (and
// FFmpeg's progress line in CR alone); POSIX tools in LF.
inline std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  return from > text.size() ? npos : text.find_first_of("\r\n", from);
}

// Bytes [begin, end) clamped to the text, so that no span reads past the capture.
inline std::string_view Span(std::string_view text, std::size_t begin, std::size_t end) {
  if (begin >= text.size() || end <= begin) return {};
  return text.substr(begin, end - begin);
}

// atoi: leading white space, an optional sign, decimal digits; 0 when there are none. Values
// beyond 64 bits saturate.
std::int64_t ReadInteger(std::string_view text);
// atof: leading white space, then the longest decimal number (with fraction and exponent); 0
// when there is none. The decimal separator is always ".".
double ReadDecimal(std::string_view text);

// The longest start of a UTF-8 text that fits in `units` UTF-16 code units, cut between
// characters.
std::string_view LimitUtf16(std::string_view utf8, std::size_t units);

// Repeated searches for one pattern (or, for line ends, any byte of a set) from positions that
// mostly move forward. Remembers the last hit, so that a pattern missing from the rest of a large
// output is looked for only once.
class ForwardFinder {
 public:
  enum Kind { kPattern, kAnyOf };
  ForwardFinder(std::string_view text, std::string_view pattern, Kind kind = kPattern)
      : text_(text), pattern_(pattern), kind_(kind) {}
  std::size_t From(std::size_t from);

 private:
  std::string_view text_;
  std::string_view pattern_;
  Kind kind_;
  std::size_t searched_from_ = npos;  // npos: nothing searched yet
  std::size_t hit_ = npos;
};

}  // namespace clipwright::scan

// Comparing extensions and container names as Windows compares file names in ASCII: A to Z
// match a to z, every other byte only itself.
#pragma once

#include <algorithm>
#include <string_view>

namespace clipwright {

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace clipwright

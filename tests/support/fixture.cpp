#include "support/fixture.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "test_config.h"

namespace clipwright::testing {

std::string FixturePath(std::string_view name) {
  const char separator = platform::PathSeparator();
  std::string path = test_config::kSourceDir;
  path += separator;
  path += "tests";
  path += separator;
  path += "fixtures";
  path += separator;
  path += name;
  return path;
}

std::string Utf16File(std::string_view utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : platform::Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace clipwright::testing

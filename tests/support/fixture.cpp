#include "support/fixture.h"

#include "platform/paths.h"
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

}  // namespace clipwright::testing

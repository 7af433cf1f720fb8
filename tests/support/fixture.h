// Files under tests/fixtures, found through the source tree of this build.
#pragma once

#include <string>
#include <string_view>

namespace clipwright::testing {

std::string FixturePath(std::string_view name);

}  // namespace clipwright::testing

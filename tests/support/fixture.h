// Files under tests/fixtures, found through the source tree of this build, and file texts made
// up in a test.
#pragma once

#include <string>
#include <string_view>

namespace clipwright::testing {

std::string FixturePath(std::string_view name);

// A text as the bytes of a UTF-16LE file with its byte-order mark, the form status.ini is written in.
std::string Utf16File(std::string_view utf8);

}  // namespace clipwright::testing

// The command-line splitter on any line: every argument comes from the line, and splitting a
// line made of the arguments quoted the way the Microsoft runtime reads them gives them back.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"

namespace {

// An argument as CommandLineToArgvW reads it back: in quotes, a quote escaped, backslashes
// doubled before a quote.
std::string Quote(const std::string& argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> arguments = clipwright::platform::SplitCommandLine(line);
  std::size_t total = 0;
  for (const std::string& argument : arguments) total += argument.size();
  if (total > line.size()) __builtin_trap();
  // The program name is read by other rules (no escapes); the rest must come back as it was.
  if (arguments.size() < 2) return 0;
  std::string again = "program";
  for (std::size_t i = 1; i < arguments.size(); ++i) again += " " + Quote(arguments[i]);
  std::vector<std::string> expected(arguments);
  expected[0] = "program";
  if (clipwright::platform::SplitCommandLine(again) != expected) __builtin_trap();
  return 0;
}

// The command line both ways. Any line splits into arguments that all come from the line, and a
// line made of them quoted the way the Microsoft runtime reads them gives them back. And any list
// of arguments (the input cut at its zero bytes: a Windows argument holds none) built into a
// CommandLine, plain or quoted by turns, splits back into exactly that list.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "tools/command_line.h"

namespace {

using clipwright::platform::SplitCommandLine;

void SplitAnyLine(std::string_view line) {
  const std::vector<std::string> arguments = SplitCommandLine(line);
  std::size_t total = 0;
  for (const std::string& argument : arguments) total += argument.size();
  if (total > line.size()) __builtin_trap();
  // The program name is read by other rules (no escapes); the rest must come back as it was.
  if (arguments.size() < 2) return;
  clipwright::CommandLine again("program");
  for (std::size_t i = 1; i < arguments.size(); ++i) again.AddQuoted(arguments[i]);
  std::vector<std::string> expected(arguments);
  expected[0] = "program";
  if (SplitCommandLine(again.Text()) != expected) __builtin_trap();
}

void BuildAnyArguments(std::string_view bytes) {
  std::vector<std::string> pieces;
  for (std::size_t start = 0;;) {
    const std::size_t zero = bytes.find('\0', start);
    pieces.emplace_back(bytes.substr(start, zero == std::string_view::npos ? std::string_view::npos : zero - start));
    if (zero == std::string_view::npos) break;
    start = zero + 1;
  }
  // A program's path holds no quote.
  std::erase(pieces[0], '"');
  clipwright::CommandLine line(pieces[0]);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (i % 2 == 0) {
      line.AddQuoted(pieces[i]);
    } else {
      line.Add(pieces[i]);
    }
  }
  if (line.Arguments() != pieces) __builtin_trap();
  if (SplitCommandLine(line.Text()) != pieces) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  SplitAnyLine(bytes);
  BuildAnyArguments(bytes);
  return 0;
}

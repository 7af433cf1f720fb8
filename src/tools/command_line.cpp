#include "tools/command_line.h"

#include "platform/text.h"

namespace clipwright {
namespace {

bool NeedsQuotes(std::string_view argument) {
  return argument.empty() || argument.find_first_of(" \t\"") != std::string_view::npos;
}

// `argument` in quotes as CommandLineToArgvW reads it back: backslashes are doubled only where
// a quote follows them, so an ordinary path keeps its backslashes as they are.
std::string InQuotes(std::string_view argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace

std::vector<std::string_view> SplitWords(std::string_view words) {
  std::vector<std::string_view> split;
  for (std::size_t start = 0; start < words.size();) {
    const std::size_t blank = words.find(' ', start);
    const std::size_t end = blank == std::string_view::npos ? words.size() : blank;
    if (end > start) split.push_back(words.substr(start, end - start));
    start = end + 1;
  }
  return split;
}

CommandLine::CommandLine(std::string_view program) {
  // The program name is split by other rules: quotes only group it, so it is never escaped.
  text_ += '"';
  text_ += program;
  text_ += '"';
  arguments_.emplace_back(program);
}

void CommandLine::Append(std::string_view argument, bool quoted) {
  text_ += ' ';
  text_ += quoted ? InQuotes(argument) : std::string(argument);
  arguments_.emplace_back(argument);
}

CommandLine& CommandLine::Add(std::string_view argument) {
  Append(argument, NeedsQuotes(argument));
  return *this;
}

CommandLine& CommandLine::AddQuoted(std::string_view argument) {
  Append(argument, true);
  return *this;
}

CommandLine& CommandLine::AddWords(std::string_view words) {
  for (const std::string_view word : SplitWords(words)) Add(word);
  return *this;
}

int CommandLine::LengthCount() const { return static_cast<int>(platform::Utf16Length(text_)) + 2; }

}  // namespace clipwright

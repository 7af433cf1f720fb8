// One command line of an outside tool, built argument by argument. It owns the quoting (the
// Windows rules, which the POSIX build splits by too) and the count the length limit holds, so
// that no caller writes quotes by hand.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clipwright {

// The command-length count (UTF-16 units of the command + 2) may reach this and no more: a
// command of at most 507 units is accepted.
inline constexpr int COMMAND_LIMIT = 509;

// The blank-separated words of `words`, in order; runs of blanks separate no empty word.
std::vector<std::string_view> SplitWords(std::string_view words);

class CommandLine {
 public:
  // The program comes first, always quoted.
  explicit CommandLine(std::string_view program);

  // An argument as it stands; quoted only when it must be (a blank, a tab, a quote, or nothing).
  CommandLine& Add(std::string_view argument);
  // An argument in quotes whatever it holds: paths, and texts the user reads quoted in the log.
  CommandLine& AddQuoted(std::string_view argument);
  // Every blank-separated word of `words` as an argument of its own ("-map_metadata -1").
  CommandLine& AddWords(std::string_view words);

  // The command line, arguments separated by one blank.
  const std::string& Text() const { return text_; }
  // The arguments as the tool receives them, the program first.
  const std::vector<std::string>& Arguments() const { return arguments_; }
  // UTF-16 units of the text + 2: what COMMAND_LIMIT holds.
  int LengthCount() const;
  bool FitsLimit() const { return LengthCount() <= COMMAND_LIMIT; }

 private:
  void Append(std::string_view argument, bool quoted);

  std::string text_;
  std::vector<std::string> arguments_;
};

}  // namespace clipwright

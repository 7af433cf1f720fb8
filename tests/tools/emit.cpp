// Prints its arguments, for tests that need a tool with a given output. Each argument is
// written and flushed at once; "\r", "\n" and "\\" in it are escapes. Options between them:
// --sleep=MS waits, --stderr and --stdout choose the stream, --repeat=N writes the next text N
// times, --close closes both output streams (the tool goes on without them), --touch=PATH creates
// an empty file, and --exit=N ends with exit code N.
// Without arguments it prints nothing and exits.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

namespace {

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::FILE* stream = stdout;
  long repeat = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with("--sleep=")) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[i] + 8)));
    } else if (argument == "--stderr") {
      stream = stderr;
    } else if (argument == "--stdout") {
      stream = stdout;
    } else if (argument == "--close") {
      std::fclose(stdout);
      std::fclose(stderr);
      stream = nullptr;
    } else if (argument.starts_with("--touch=")) {
      if (std::FILE* file = std::fopen(argv[i] + 8, "wb")) std::fclose(file);
    } else if (argument.starts_with("--exit=")) {
      return std::atoi(argv[i] + 7);
    } else if (argument.starts_with("--repeat=")) {
      repeat = std::atol(argv[i] + 9);
    } else {
      const std::string text = Unescape(argument);
      if (stream == nullptr) continue;
      for (long k = 0; k < repeat; ++k) std::fwrite(text.data(), 1, text.size(), stream);
      std::fflush(stream);
      repeat = 1;
    }
  }
  return 0;
}

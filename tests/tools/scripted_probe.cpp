// Stands in for FFmpeg probing files ("… -i <file> -i <file> …"): each file holds a wait in
// milliseconds on its first line and what to print after it. Like FFmpeg it lists each input in
// turn, as input #n, and stops at the first that lists no stream, printing only its text. "q"
// on the input ends it at once, as it ends FFmpeg. It ends with exit code 1, as a probe without
// an output file does.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

int main(int argc, char** argv) {
  std::thread([] {
    if (std::getchar() == 'q') std::_Exit(255);
  }).detach();
  int input = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string_view(argv[i]) != "-i") continue;
    std::ifstream file(argv[++i], std::ios::binary);
    long wait_ms = 0;
    file >> wait_ms;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
    const std::size_t stream = text.find("Stream #0:");
    if (stream == std::string::npos) {
      std::fwrite(text.data(), 1, text.size(), stderr);
      return 1;
    }
    text.replace(stream, 10, "Stream #" + std::to_string(input) + ":");
    text = "Input #" + std::to_string(input++) + ", test, from '" + argv[i] + "':" + text;
    std::fwrite(text.data(), 1, text.size(), stderr);
  }
  std::fputs("At least one output file must be specified\n", stderr);
  return 1;
}

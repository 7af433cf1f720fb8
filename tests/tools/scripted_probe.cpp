// Stands in for FFmpeg probing a file ("… -i <file>"): the file holds a wait in milliseconds on
// its first line and what to print after it. "q" on the input ends it at once, as it ends
// FFmpeg. It ends with exit code 1, as a probe without an output file does.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream file(argv[argc - 1], std::ios::binary);
  long wait_ms = 0;
  file >> wait_ms;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::thread([] {
    if (std::getchar() == 'q') std::_Exit(255);
  }).detach();
  std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  std::fwrite(text.data(), 1, text.size(), stderr);
  return 1;
}

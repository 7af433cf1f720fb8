// Stands in for an FFmpeg run that takes long: it creates the file named by its last argument,
// as FFmpeg creates its output, then ignores its input ("q" included) and ends after 60 s, or
// when it is ended.
#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (std::FILE* output = std::fopen(argv[argc - 1], "wb")) std::fclose(output);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 0;
}

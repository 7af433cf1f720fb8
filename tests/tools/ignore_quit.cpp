// A tool that does not stop on "q": it prints an FFmpeg-like progress line every 100 ms and
// appends every byte it reads on its standard input to the file named first, until the time
// given second (milliseconds, default 60000) is over.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const long run_ms = argc > 2 ? std::atol(argv[2]) : 60000;
  const char* record = argv[1];
  std::FILE* created = std::fopen(record, "wb");
  if (created == nullptr) return 2;
  std::fclose(created);
  std::thread([record] {
    for (int c; (c = std::getchar()) != EOF;) {
      if (std::FILE* file = std::fopen(record, "ab")) {
        std::fputc(c, file);
        std::fclose(file);
      }
    }
  }).detach();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(run_ms);
  for (int frame = 1; std::chrono::steady_clock::now() < end; ++frame) {
    std::printf("frame=%5d fps=25 q=28.0 size=%8dkB time=00:00:01.00 bitrate=N/A speed=1.00x    \r", frame, frame);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::fflush(stdout);
  std::_Exit(0);  // the reader may still be blocked on the input
}

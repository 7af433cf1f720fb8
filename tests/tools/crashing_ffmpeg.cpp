// Stands in for an FFmpeg that crashes half-way through a job: it writes the start of its
// output file (the last argument), prints a progress line and the summary words that FFmpeg
// prints at its end, then crashes.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  if (std::FILE* output = std::fopen(argv[argc - 1], "wb")) {
    std::fputs("\x1A\x45\xDF\xA3 unfinished", output);
    std::fclose(output);
  }
  std::fprintf(stderr, "frame=   12 fps=0.0 q=-1.0 size=       1kB time=00:00:00.48 bitrate=  17.1kbits/s speed=9.6x\r\n");
  std::fprintf(stderr, "video:1kB audio:0kB subtitle:0kB other streams:0kB global headers:0kB\r\n");
  std::fflush(stderr);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}

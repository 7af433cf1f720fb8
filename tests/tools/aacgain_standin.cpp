// A stand-in for AACGain where none is installed, printing only the texts that Clipwright reads.
//   aacgain_standin /e /c /d <dB> /s s <file>   recommends a gain of <dB> / 1.5 steps, rounded
//                                              (as if the file were at the reference level)
//   aacgain_standin /g <steps> /c /s s <file>   "applies" the gain: the file is left as it is
// A file that cannot be opened gives a line that begins "Error".
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Progress(long size, const char* what) {
  for (int percent : {0, 33, 66, 99}) {
    std::printf("                                   \r%3d%% of %ld bytes %s\r", percent, size, what);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool analyse = false;
  double change_db = 0;
  long steps = 0;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/e") == 0 || std::strcmp(argv[i], "/c") == 0) continue;
    if (std::strcmp(argv[i], "/s") == 0 && i + 1 < argc) {
      ++i;
    } else if (std::strcmp(argv[i], "/d") == 0 && i + 1 < argc) {
      analyse = true;
      change_db = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "/g") == 0 && i + 1 < argc) {
      steps = std::atol(argv[++i]);
    } else {
      path = argv[i];
    }
  }
  if (path == nullptr) {
    std::printf("Error: no file given\n");
    return 1;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::printf("Error: cannot open %s\n", path);
    return 1;
  }
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fclose(file);
  if (analyse) {
    Progress(size, "analyzed");
    std::printf("%s\nRecommended \"Track\" dB change: %f\n", path, change_db);
    std::printf("Recommended \"Track\" mp3 gain change: %ld\n", std::lround(change_db / 1.5));
  } else {
    std::printf("Applying gain change of %ld to %s...\n", steps, path);
    Progress(size, "written");
    std::printf("\ndone\n");
  }
  return 0;
}

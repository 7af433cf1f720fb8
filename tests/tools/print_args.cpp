// Prints each argument it was given as "[argument]" on a line of its own, so that tests can see
// how a command line was split.
#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) std::printf("[%s]\n", argv[i]);
  return 0;
}

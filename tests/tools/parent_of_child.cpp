// Starts the command line given as its one argument through the program's own process layer,
// prints "started" and waits to be ended: the tests end it as Task Manager would and look at
// what became of its child.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/process.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const auto child = clipwright::platform::ChildProcess::Start(argv[1]);
  if (!child) return 3;
  std::printf("started\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 0;
}

#include <time.h>

#include <chrono>
#include <thread>

#include "platform/system.h"

namespace clipwright::platform {

std::uint32_t TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t milliseconds =
      static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

void SleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace clipwright::platform

namespace clipwright::platform {

// The native build has no user session to end; it only says that it did not shut down.
bool RequestPowerOff() { return false; }

}  // namespace clipwright::platform

// Clock and machine.
#pragma once

#include <cstdint>

namespace clipwright::platform {

// Milliseconds since an arbitrary start; wraps like GetTickCount.
std::uint32_t TickCount();

void SleepMilliseconds(int milliseconds);

}  // namespace clipwright::platform

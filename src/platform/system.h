// Clock and machine.
#pragma once

#include <cstdint>

namespace clipwright::platform {

// Milliseconds since an arbitrary start; wraps like GetTickCount.
std::uint32_t TickCount();

void SleepMilliseconds(int milliseconds);

// Asks the system to shut down: programs that do not answer are ended, the others may still ask
// their user to save. False when the request was refused or this system does not offer it.
bool RequestPowerOff();

}  // namespace clipwright::platform

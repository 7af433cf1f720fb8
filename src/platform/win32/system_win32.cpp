#include <windows.h>

#include "platform/system.h"

namespace clipwright::platform {

std::uint32_t TickCount() { return GetTickCount(); }

void SleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace clipwright::platform

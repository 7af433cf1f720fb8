#include <windows.h>

#include "platform/system.h"

namespace clipwright::platform {

std::uint32_t TickCount() { return GetTickCount(); }

void SleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace clipwright::platform

namespace clipwright::platform {

bool RequestPowerOff() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  // Not EWX_FORCE: that kills programs with unsaved work. EWX_FORCEIFHUNG ends only those that
  // do not answer, so a finished overnight conversion still powers the machine off.
  return ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCEIFHUNG,
                       SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED) != 0;
}

}  // namespace clipwright::platform

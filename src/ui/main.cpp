#include "platform/paths.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  const std::string folder = clipwright::platform::ProgramFolder();
  const clipwright::SettingsFiles files{folder + "status.ini", folder + "input.txt", folder + "error.txt"};
  if (!clipwright::ui::CreateMainWindow(instance, show_command, files)) return 0;
  return clipwright::ui::RunMessageLoop();
}

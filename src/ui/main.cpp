#include "platform/process.h"
#include "settings/settings_store.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  clipwright::platform::SetChildErrorMode();
  if (!clipwright::ui::CreateMainWindow(instance, show_command, clipwright::SettingsPaths())) return 0;
  return clipwright::ui::RunMessageLoop();
}

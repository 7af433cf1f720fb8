// The settings page (設定): tool paths and the general FFmpeg options. Its controls are the live
// store of the settings; other parts read them by id.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// Lets the user pick the tool of button 1001, 1003 or 1005 with the open-file dialog and shows the
// chosen path in the text beside it (the button's id - 1). Cancelling changes nothing.
void PickToolPath(HWND page, int button);

}  // namespace clipwright::ui

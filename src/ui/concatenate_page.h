// The concatenate page (連結): a list of files joined into one.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConcatenatePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

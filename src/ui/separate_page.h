// The separate page (分離): chosen streams of each listed file taken out.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK SeparatePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

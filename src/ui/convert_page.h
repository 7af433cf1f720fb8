// The convert page (変換): each listed file converted with the chosen options.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK ConvertPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

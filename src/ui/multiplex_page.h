// The multiplex page (多重化): streams of two files combined into one.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK MultiplexPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

// The split page (分割): one file cut to a range, or at every keyframe.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

// The split page (分割): one file cut to a range, or at every keyframe.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

// Sent by the analysis worker to the split page when its file has been probed and scanned.
inline constexpr UINT MSG_SPLIT_ANALYSED = 0x812D;

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

// The volume page (AACGain): listed files brought towards a target loudness.
#pragma once

#include "ui/win32.h"

namespace clipwright::ui {

INT_PTR CALLBACK VolumePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace clipwright::ui

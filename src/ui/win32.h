// The Windows headers as the user interface uses them. <windows.h> maps MessageBox to
// MessageBoxW, which would rename the Dialog interface's MessageBox in the files that see it;
// the user interface calls MessageBoxW by name instead.
#pragma once

#include <windows.h>
#include <commctrl.h>

#undef MessageBox

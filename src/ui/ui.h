// The Windows user interface: main window, pages, progress dialog.
#pragma once

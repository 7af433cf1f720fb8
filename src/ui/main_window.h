// The main window: a fixed-size dialog of the program's own class whose tab control holds the
// seven pages. It owns the pages' records, loads and saves the settings, and answers the
// requests of pages and workers.
#pragma once

#include "ui/win32.h"

#include <string>

#include "settings/settings_store.h"

namespace clipwright::ui {

// Registers the window class named `class_name`; a second registration changes nothing.
void RegisterMainClass(HINSTANCE instance, const wchar_t* class_name);
// Creates, shows and updates the main window, whose settings live in `files`. Null on failure.
HWND CreateMainWindow(HINSTANCE instance, int show_command, const SettingsFiles& files);
// Runs until the main window has been closed; returns the exit code.
int RunMessageLoop();

// The tabs and the seven pages, then the settings; run once while the main window is created.
void CreatePages(HWND main_window);
// Shows the page of the current tab and hides the others.
void ShowCurrentPage(HWND main_window);

// A close of the program waits for the run under way to clean up: the page asks nothing more.
bool ProgramClosing(HWND window);

// The folder that holds the main window's status.ini and error.txt (the executable's folder,
// unless a test chose another), ending in a separator; where error.txt and log.txt are written.
// Empty when `window` does not belong to a main window.
std::string ProgramFilesFolder(HWND window);

}  // namespace clipwright::ui

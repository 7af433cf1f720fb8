// The main window's answers to the requests of pages and workers: the tool paths, read from the
// settings page at the moment of asking, and the page of an index. The window wires its request
// messages to these; the test fakes answer with them too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/run_observer.h"
#include "ui/dialog.h"

namespace clipwright {

// The settings-page text that holds the FFmpeg path: 1002 while the convert page's
// "別FFmpegを使う" (6601) is checked, 1000 otherwise.
int FfmpegPathControl(Dialog& convert);

// The FFmpeg path, in *path in every case, fitted by FitToPathBuffer so that the caller's buffer
// of PATH_CAPACITY units holds it. False when the path cannot be opened for reading or does not
// fit whole; the main window has then shown "ffmpeg.exeがありません。" itself.
bool RequestFfmpegPath(Dialog& settings, Dialog& convert, Dialog& main_window, std::string* path);
// The AACGain path (1004), likewise, with "aacgain.exe is not found.".
bool RequestAacgainPath(Dialog& settings, Dialog& main_window, std::string* path);

// The page index that a request names: the low 16 bits of `index`, or -1 when they exceed the
// last page (then nothing is to be written).
int RequestedPageIndex(std::uintptr_t index);

// The main window's message about a tool that cannot be used: "ffmpeg.exeがありません。" or
// "aacgain.exe is not found.", or that its path names no program.
void TellToolMissing(Dialog& main_window, Tool tool, bool not_a_program);

}  // namespace clipwright

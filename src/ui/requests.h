// What pages and workers ask of the main window: the tool paths and one another's pages. The
// main window answers on the user-interface thread at the moment it is asked; nothing is cached.
#pragma once

#include <string>

#include "ui/dialog.h"

namespace clipwright {

class Requests {
 public:
  virtual ~Requests() = default;

  // The FFmpeg path (the alternative one while the convert page's "別FFmpegを使う" is checked).
  // The path is written in every case; the result is false when the file cannot be opened for
  // reading, and the main window has then told the user itself.
  virtual bool FfmpegPath(std::string* path) = 0;
  // The AACGain path, likewise.
  virtual bool AacgainPath(std::string* path) = 0;
  // Page 0 to 6 in tab order; null for any other index.
  virtual Dialog* Page(int index) = 0;
};

}  // namespace clipwright

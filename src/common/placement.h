// Where a window goes when it is centred over another: the main window over the desktop, the
// progress dialog over its owner.
#pragma once

#include <optional>

namespace clipwright {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// The top-left corner that centres `inner` over `outer`, or nothing when `outer` is not both
// wider and taller than `inner`; the window then stays where it is.
std::optional<ScreenPoint> CenterOver(const ScreenRect& outer, const ScreenRect& inner);

}  // namespace clipwright

#include "common/placement.h"

namespace clipwright {

std::optional<ScreenPoint> CenterOver(const ScreenRect& outer, const ScreenRect& inner) {
  if (outer.width() <= inner.width() || outer.height() <= inner.height()) return std::nullopt;
  return ScreenPoint{outer.left + (outer.width() - inner.width()) / 2,
                     outer.top + (outer.height() - inner.height()) / 2};
}

}  // namespace clipwright

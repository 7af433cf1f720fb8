// The volume page's target level, stepped by its up-down control.
#pragma once

#include <string>
#include <string_view>

namespace clipwright {

inline constexpr double kTargetLevelMin = 60.0;
inline constexpr double kTargetLevelMax = 120.0;

// The target level text after one click: a negative delta (the up arrow) adds 0.1, any other
// subtracts 0.1, clamped to 60.0–120.0 and written with one decimal. A text that is no number
// counts as 0. The control's own position plays no part.
std::string StepTargetLevel(std::string_view text, int delta);

}  // namespace clipwright

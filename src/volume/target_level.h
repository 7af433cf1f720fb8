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

// The target level a run works towards: the text's leading number, kept within 60.0–120.0 as the
// up-down keeps it (the text may come from a hand-edited status.ini); text that is no number
// counts as 0 and so as 60.0.
double ReadTargetLevel(std::string_view text);

}  // namespace clipwright

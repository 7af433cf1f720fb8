// Numbers in command lines and file names, the same whatever the user's locale.
#pragma once

#include <string>

namespace clipwright {

// As printf's "%0*.*f": `decimals` places, zero-padded on the left to `width` characters.
// FixedText(12.5, 6) is "12.500000"; FixedText(12.5, 3, 9) is "00012.500".
std::string FixedText(double value, int decimals, int width = 0);

}  // namespace clipwright

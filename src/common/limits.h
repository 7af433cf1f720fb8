// Capacities that the program enforces. They are limits, not memory reserved up front.
#pragma once

#include <cstddef>

namespace clipwright {

inline constexpr int FILE_CAPACITY = 1024;        // files per list page
inline constexpr int STREAM_CAPACITY = 256;       // streams per file
inline constexpr int PATH_CAPACITY = 260;         // UTF-16 units per path or stream line, terminator included
inline constexpr int COMMAND_CAPACITY = 512;      // UTF-16 units per command line, terminator included
inline constexpr std::size_t FRAME_CAPACITY = 1000000;  // frames and keyframes of the split page

// Page indexes, in tab order.
inline constexpr int PAGE_SETTINGS = 0;
inline constexpr int PAGE_SPLIT = 1;
inline constexpr int PAGE_CONCATENATE = 2;
inline constexpr int PAGE_MULTIPLEX = 3;
inline constexpr int PAGE_SEPARATE = 4;
inline constexpr int PAGE_CONVERT = 5;
inline constexpr int PAGE_VOLUME = 6;
inline constexpr int PAGE_COUNT = 7;

}  // namespace clipwright

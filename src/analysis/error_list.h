// error.txt: one line per file that could not be added since the program started.
#pragma once

#include <string>

namespace clipwright {

// `folder` ends in a separator; empty means the executable's folder.
std::string ErrorListPath(const std::string& folder);

// Appends "Invalid data found when processing input '<path>'" and CR LF, UTF-8, with a byte-order
// mark only when the file is new or empty. False when the file could not be written.
bool AppendErrorList(const std::string& folder, const std::string& path);

}  // namespace clipwright

// Where a first start looks for the tools, so that a program unzipped beside ffmpeg.exe works
// without a visit to the settings page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"

namespace clipwright {

// The first folder (each ending in a separator) holding a usable program `file_name`; empty if
// none does.
std::string FindToolIn(const std::vector<std::string>& folders, std::string_view file_name);

// Fills each empty tool path of `settings`: ffmpeg beside the program, in its "ffmpeg\bin\" and
// "bin\" folders, then on the PATH; aacgain beside the program, in "bin\", then on the PATH. A
// path already there is kept, even one that no longer leads anywhere: it is the user's choice.
void FindMissingTools(StoredSettings* settings, const std::string& program_folder,
                      const std::vector<std::string>& path_folders);

}  // namespace clipwright

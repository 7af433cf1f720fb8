#include "settings/tool_search.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "settings/run_settings.h"

namespace clipwright {

std::string FindToolIn(const std::vector<std::string>& folders, std::string_view file_name) {
  for (const std::string& folder : folders) {
    std::string candidate = folder;
    candidate += file_name;
    // A folder named like the program opens for reading on some systems; it is no program.
    if (!platform::IsDirectory(candidate) && ToolPathUsable(candidate)) return candidate;
  }
  return {};
}

void FindMissingTools(StoredSettings* settings, const std::string& program_folder,
                      const std::vector<std::string>& path_folders) {
  const std::string separator(1, platform::PathSeparator());
  const std::string extension(platform::ProgramExtension());
  const auto search = [&](std::string* path, std::string_view name, std::vector<std::string> folders) {
    if (!path->empty()) return;
    folders.insert(folders.end(), path_folders.begin(), path_folders.end());
    *path = FindToolIn(folders, std::string(name) + extension);
  };
  search(&settings->ffmpeg_path, "ffmpeg",
         {program_folder, program_folder + "ffmpeg" + separator + "bin" + separator,
          program_folder + "bin" + separator});
  search(&settings->aacgain_path, "aacgain", {program_folder, program_folder + "bin" + separator});
}

}  // namespace clipwright

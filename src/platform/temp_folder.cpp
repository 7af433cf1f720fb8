// The portable half of temp_folder.h: emptying one folder of the program's own.
#include "platform/temp_folder.h"

#include "platform/files.h"

namespace clipwright::platform {

bool RemoveTempFolder(const std::string& folder) {
  if (folder.empty()) return false;
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (!entry.is_directory) DeleteFileForced(folder + entry.name);
  }
  return RemoveEmptyFolder(folder);
}

}  // namespace clipwright::platform

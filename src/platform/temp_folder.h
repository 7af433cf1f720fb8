// Folders the program makes for its own passing files (the keyframe pictures of one scan) under
// the user's temporary folder: each has a name no other run can take, and clean-up removes that
// folder and nothing outside it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clipwright::platform {

// Creates a new, empty folder "<prefix><unique part>" in the user's temporary folder and returns
// its path, ending in a separator; nothing when none could be created.
std::optional<std::string> MakeTempFolder(std::string_view prefix);

// Deletes the files directly inside `folder` (a folder made by MakeTempFolder), then the folder.
// Folders inside it are left alone, and so is the folder then. True when the folder is gone.
bool RemoveTempFolder(const std::string& folder);

// Removes an empty folder; false when it is not empty or cannot be removed.
bool RemoveEmptyFolder(const std::string& folder);

}  // namespace clipwright::platform

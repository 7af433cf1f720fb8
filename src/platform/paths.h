// Paths split the way the Windows runtime splits them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clipwright::platform {

struct PathParts {
  std::string drive;      // "C:" or empty
  std::string directory;  // with its trailing separator, or empty
  std::string name;       // base name without extension
  std::string extension;  // with its leading dot, or empty
};

// Same results as _wsplitpath, for both separators, on every build.
PathParts SplitPath(std::string_view path);

// Drive and directory of the running executable, ending in a separator.
std::string ProgramFolder();

// The separator of this system ("\\" on Windows, "/" on POSIX), for paths the program makes.
char PathSeparator();

// The extension every program of this system has (".exe" on Windows); empty where programs have
// none in particular (POSIX).
std::string_view ProgramExtension();

// The folders of the PATH variable in their order, each ending in a separator.
std::vector<std::string> PathFolders();
// A list of folders as PATH holds them, split at `list_separator` (";" on Windows, ":" on POSIX):
// quotes removed, empty entries left out, each ending in a separator.
std::vector<std::string> SplitFolderList(std::string_view list, char list_separator);

}  // namespace clipwright::platform

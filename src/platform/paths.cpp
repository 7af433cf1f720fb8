// The portable half of paths.h: splitting a path the way _wsplitpath does, and a folder list.
#include "platform/paths.h"

namespace clipwright::platform {

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  // A drive is a letter (any character, as the runtime does not check) followed by a colon.
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const std::size_t last_separator = path.find_last_of("/\\");
  std::string_view file = path;
  if (last_separator != std::string_view::npos) {
    parts.directory = std::string(path.substr(0, last_separator + 1));
    file = path.substr(last_separator + 1);
  }
  // The extension starts at the last dot of the file name, even when the name begins with it.
  const std::size_t dot = file.find_last_of('.');
  if (dot != std::string_view::npos) {
    parts.name = std::string(file.substr(0, dot));
    parts.extension = std::string(file.substr(dot));
  } else {
    parts.name = std::string(file);
  }
  return parts;
}

std::vector<std::string> SplitFolderList(std::string_view list, char list_separator) {
  std::vector<std::string> folders;
  std::string folder;
  bool quoted = false;  // Windows allows a ";" inside quotes; the quotes are no part of the name
  const auto finish = [&] {
    if (folder.empty()) return;
    if (folder.back() != '/' && folder.back() != '\\') folder += PathSeparator();
    folders.push_back(std::move(folder));
    folder.clear();
  };
  for (const char c : list) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == list_separator && !quoted) {
      finish();
    } else {
      folder += c;
    }
  }
  finish();
  return folders;
}

}  // namespace clipwright::platform

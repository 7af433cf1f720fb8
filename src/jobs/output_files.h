// Names beside the user's files: a name is taken by making the file (or renaming to it) only when
// nothing has it yet, at the moment it is chosen, so that no file of anyone else's is ever
// written; and the command log.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace clipwright {

// The first free name among `name_for(first)`, `name_for(first + 1)`, …: one that a look-up finds
// nothing has, neither file nor folder nor link (a file that merely cannot be opened is not free).
// Empty when a look-up fails for a reason other than "no such file", for then nothing can be said
// about that name.
std::string FirstFreeName(const std::function<std::string(int counter)>& name_for, int first = 1);

// Takes the first name of the series that `make` can make without replacing anything. A name
// that `make` finds taken (taken after its look-up) makes way for the next one. Empty when a
// look-up fails or `make` fails otherwise.
std::string TakeFirstFreeName(const std::function<std::string(int counter)>& name_for,
                              const std::function<platform::NewFile(const std::string& name)>& make,
                              int first = 1);

// "<folder><name>_<n><extension>" beside `path` (its name, and `extension` or its own).
std::string NumberedName(const std::string& path, int counter, std::string_view extension);
// The folder of `path`, with its drive and ending in a separator.
std::string FolderOf(const std::string& path);
// "<folder>temp<nnnn><extension>" beside `path`.
std::string TempName(const std::string& path, int counter, std::string_view extension);

// Appends `command` and CR LF to log.txt in `folder` (empty: the executable's folder). A new log
// starts with the UTF-8 byte-order mark. A log that cannot be written is skipped.
void AppendCommandLog(std::string_view folder, std::string_view command);

}  // namespace clipwright

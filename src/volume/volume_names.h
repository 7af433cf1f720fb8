// The names the volume job takes beside a user's file: the working file, the metadata pass's
// output and the final output. Each is had by creating (or renaming to) it only when nothing
// has the name yet, at the moment it is chosen, so that no file of anyone else's is written.
#pragma once

#include <string>
#include <string_view>

namespace clipwright {

// The extension the working file gets: ".mp4" for ".m4a" and ".aac" (in any case), which become
// MP4 files; any other stays as it is.
std::string WorkingExtension(std::string_view extension);

// Takes the first free "temp0001<ext>", "temp0002<ext>", … beside `path`, with the working
// extension of `path`, by creating it empty. Empty when no name can be taken there.
std::string MakeTempName(const std::string& path);

// Takes the first free "<name>_1<ext>", "<name>_2<ext>", … beside `path`, with the working
// extension of `path`, by creating it empty. Empty when no name can be taken there.
std::string MakeNumberedName(const std::string& path);

// Renames `working` to the first free "<name>_1<ext>", "<name>_2<ext>", … of the listed file
// `source`, with the extension of `working`; a name that something has is passed over. The new
// path, or empty when the rename failed otherwise (`working` is then where it was).
std::string MoveToOutputName(const std::string& working, const std::string& source);

}  // namespace clipwright

#include "platform/text.h"

namespace clipwright::platform {

// POSIX tools write UTF-8; stray bytes are shown as replacement characters.
std::string DecodeToolOutput(std::string_view bytes) { return ReplaceInvalidUtf8(bytes); }

}  // namespace clipwright::platform

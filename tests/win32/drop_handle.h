// A drop handle as the shell hands one over when files are dropped from Explorer: a DROPFILES
// block with the wide names, GlobalAlloc'd. The receiver releases it (DragFinish). Shared by the
// window tests, the page preview of scripts/screenshot and the intake benchmark.
#pragma once

#include "ui/win32.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace clipwright::testing {

HDROP MakeDrop(const std::vector<std::string>& paths);

}  // namespace clipwright::testing

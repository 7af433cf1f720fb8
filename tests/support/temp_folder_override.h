// The user's temporary folder pointed elsewhere for a while, so that a test sees every folder the
// program makes there.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace clipwright::testing {

// While it lives, the user's temporary folder (TMPDIR, TMP, TEMP) is `folder`.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const TempDir& folder);
  ~TempFolderOverride();
  TempFolderOverride(const TempFolderOverride&) = delete;
  TempFolderOverride& operator=(const TempFolderOverride&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;  // none: it was not set
};

}  // namespace clipwright::testing

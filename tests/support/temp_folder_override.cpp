#include "support/temp_folder_override.h"

#include <cstdlib>

namespace clipwright::testing {
namespace {

// Sets the variable, or removes it when there is no value: one left empty is no folder, and
// the next test's temporary folder could not be found.
void SetVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value ? value->c_str() : "");  // an empty value removes it
#else
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

}  // namespace

TempFolderOverride::TempFolderOverride(const TempDir& folder) {
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    SetVariable(name, folder.path());
  }
}

TempFolderOverride::~TempFolderOverride() {
  for (const auto& [name, value] : saved_) SetVariable(name, value);
}

}  // namespace clipwright::testing

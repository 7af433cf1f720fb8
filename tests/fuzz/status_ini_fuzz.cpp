// The reader of status.ini on any file: the settings load into the pages without overrunning
// anything, and a file the program writes back reads back as it was written.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/profile_format.h"
#include "settings/settings_lists.h"
#include "settings/settings_store.h"
#include "win32/settings_pages.h"

namespace {

namespace ini = clipwright::platform::ini;

// One file for the whole run: the store reads status.ini by path.
const std::string& SettingsFile() {
  static const std::string path = [] {
    char folder[] = "/tmp/clipwright-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    std::atexit([] { ::unlink(SettingsFile().c_str()); });
    return std::string(folder) + "/status.ini";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // Written back and read again, a file keeps what it says.
  const ini::Document document = ini::Parse(ini::DecodeFileText(bytes));
  const std::string written = ini::Serialize(document);
  if (ini::Serialize(ini::Parse(ini::DecodeFileText(written))) != written) __builtin_trap();
  ini::ReadInt(document, u"setting", u"-threads combo", 0);
  std::uint8_t placement[44];
  ini::ReadStruct(document, u"setting", u"WindowPlacement", placement, sizeof placement);

  if (!clipwright::platform::WriteWholeFile(SettingsFile(), bytes)) std::abort();
  clipwright::testing::StoredPages pages;
  clipwright::WindowPlacementBytes loaded{};
  clipwright::LoadSettings(clipwright::SettingsFiles{SettingsFile(), ""}, pages.settings, pages.split, pages.separate,
                           pages.volume, &loaded);
  // Every list is left on one of its entries.
  for (const clipwright::SettingsList& list : clipwright::SettingsLists()) {
    const int index = pages.settings.ComboIndex(list.id);
    if (index < 0 || index >= pages.settings.ComboCount(list.id)) __builtin_trap();
  }
  return 0;
}

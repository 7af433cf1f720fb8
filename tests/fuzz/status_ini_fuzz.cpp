// The reader of status.ini on any file: the settings load without overrunning anything, every
// list is left on one of its items, and what the program saves of them loads back unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/limits.h"
#include "platform/files.h"
#include "platform/profile_format.h"
#include "platform/text.h"
#include "settings/settings_lists.h"
#include "settings/settings_store.h"

namespace {

namespace ini = clipwright::platform::ini;

// Two files for the whole run, in a folder of its own: the store reads status.ini by path. The
// folder's name is kept in an array, which no destructor takes away before the clean-up runs.
char g_folder[] = "/tmp/clipwright-fuzz-XXXXXX";

std::string Folder() {
  static const bool made = [] {
    if (mkdtemp(g_folder) == nullptr) std::abort();
    std::atexit([] {
      ::unlink((std::string(g_folder) + "/read.ini").c_str());
      ::unlink((std::string(g_folder) + "/saved.ini").c_str());
      ::rmdir(g_folder);
    });
    return true;
  }();
  return made ? std::string(g_folder) + "/" : std::string();
}

bool Same(const clipwright::StoredSettings& a, const clipwright::StoredSettings& b) {
  if (a.placement != b.placement || a.ffmpeg_path != b.ffmpeg_path || a.alt_ffmpeg_path != b.alt_ffmpeg_path ||
      a.aacgain_path != b.aacgain_path || a.boxes.size() != b.boxes.size() ||
      a.split_at_keyframes != b.split_at_keyframes || a.split_by_frame != b.split_by_frame || a.separate_audio_only != b.separate_audio_only ||
      a.target_level != b.target_level || a.volume_audio_only != b.volume_audio_only) {
    return false;
  }
  for (std::size_t i = 0; i < a.boxes.size(); ++i) {
    if (a.boxes[i].checked != b.boxes[i].checked || a.boxes[i].choice != b.boxes[i].choice) return false;
  }
  return true;
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

  const std::string read = Folder() + "read.ini";
  if (!clipwright::platform::WriteWholeFile(read, bytes)) std::abort();
  const clipwright::StoredSettings loaded = clipwright::LoadSettings(clipwright::SettingsFiles{read, ""});
  const std::vector<clipwright::SettingsBox>& boxes = clipwright::SettingsBoxes();
  if (loaded.boxes.size() != boxes.size()) __builtin_trap();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const int choice = loaded.boxes[i].choice;
    if (boxes[i].list < 0) {
      if (choice != -1) __builtin_trap();
      continue;
    }
    const auto& items = clipwright::SettingsLists()[static_cast<std::size_t>(boxes[i].list)].items;
    // Nothing chosen (-1) or an item of the list.
    if (choice < -1 || choice >= static_cast<int>(items.size())) __builtin_trap();
  }
  for (const std::string* text : {&loaded.ffmpeg_path, &loaded.alt_ffmpeg_path, &loaded.aacgain_path, &loaded.target_level}) {
    if (clipwright::platform::Utf16Length(*text) > static_cast<std::size_t>(clipwright::PATH_CAPACITY - 1)) __builtin_trap();
  }

  // Saved and loaded, the settings are what the program keeps of them (a value loses its
  // enclosing quotes and anything from a NUL on, as the platform's functions have it); saved and
  // loaded again, they stay exactly that.
  const auto save_and_load = [](const clipwright::StoredSettings& settings) {
    const std::string saved = Folder() + "saved.ini";
    ::unlink(saved.c_str());
    clipwright::SaveSettings(clipwright::SettingsFiles{saved, ""}, settings);
    return clipwright::LoadSettings(clipwright::SettingsFiles{saved, ""});
  };
  const clipwright::StoredSettings kept = save_and_load(loaded);
  if (!Same(save_and_load(kept), kept)) __builtin_trap();
  return 0;
}

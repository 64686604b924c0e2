#include "operations/settings.h"

#include "base/whole_file.h"
#include "platform/folder_lock.h"
#include "platform/working_folder.h"

namespace qs {

Settings DecodeSettings(const ByteBuffer& content) {
  ByteStream stream(content);
  Settings settings;
  settings.fileFormat = stream.readU8() != 0 ? Settings::kOki : Settings::kQuillseal;
  settings.compression = stream.readU8() != 0 ? 1 : 0;
  settings.encryptToSelf = stream.readU8() != 0 ? 1 : 0;
  return settings;
}

Settings ReadSettings(const std::string& workingFolder) {
  ByteStream stream;
  if (!ReadWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName))) return Settings();
  return DecodeSettings(stream.bytes);
}

namespace {

// Each value as the file holds it: 0 or 1.
Settings Normalised(const Settings& settings) {
  return Settings{settings.fileFormat == Settings::kOki ? Settings::kOki : Settings::kQuillseal,
                  static_cast<std::uint8_t>(settings.compression == 1 ? 1 : 0),
                  static_cast<std::uint8_t>(settings.encryptToSelf == 1 ? 1 : 0)};
}

// With the folder's lock held.
SettingsOutcome Save(const std::string& workingFolder, const Settings& settings) {
  const Settings stored = Normalised(settings);
  ByteStream stream;
  stream.bytes.appendU8(stored.fileFormat);
  stream.bytes.appendU8(stored.compression);
  if (stored.encryptToSelf == 1) stream.bytes.appendU8(1);
  return WriteWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName))
             ? SettingsOutcome::kSaved
             : SettingsOutcome::kNotSaved;
}

}  // namespace

SettingsOutcome WriteSettings(const std::string& workingFolder, const Settings& settings) {
  const platform::FolderLock lock(workingFolder);
  if (!lock.held()) return lock.busy() ? SettingsOutcome::kFolderBusy : SettingsOutcome::kNotSaved;
  return Save(workingFolder, settings);
}

SettingsOutcome ChangeSettings(const std::string& workingFolder, const std::function<void(Settings&)>& change,
                               Settings& written) {
  const platform::FolderLock lock(workingFolder);
  if (!lock.held()) return lock.busy() ? SettingsOutcome::kFolderBusy : SettingsOutcome::kNotSaved;
  Settings changed = ReadSettings(workingFolder);
  change(changed);
  written = Normalised(changed);
  return Save(workingFolder, changed);
}

}  // namespace qs

#include "app/settings.h"

#include "base/whole_file.h"
#include "platform/working_folder.h"

namespace qs {

Settings ReadSettings(const std::string& workingFolder) {
  ByteStream stream;
  Settings settings;
  if (!ReadWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName))) return settings;
  settings.fileFormat = stream.readU8() != 0 ? Settings::kOki : Settings::kQuillseal;
  settings.compression = stream.readU8() != 0 ? 1 : 0;
  return settings;
}

bool WriteSettings(const std::string& workingFolder, const Settings& settings) {
  ByteStream stream;
  stream.bytes.appendU8(settings.fileFormat == Settings::kOki ? 1 : 0);
  stream.bytes.appendU8(settings.compression == 1 ? 1 : 0);
  return WriteWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName));
}

}  // namespace qs

#include "operations/settings.h"

#include "base/whole_file.h"
#include "platform/working_folder.h"

namespace qs {

Settings DecodeSettings(const ByteBuffer& content) {
  ByteStream stream(content);
  Settings settings;
  settings.fileFormat = stream.readU8() != 0 ? Settings::kOki : Settings::kQuillseal;
  settings.compression = stream.readU8() != 0 ? 1 : 0;
  return settings;
}

Settings ReadSettings(const std::string& workingFolder) {
  ByteStream stream;
  if (!ReadWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName))) return Settings();
  return DecodeSettings(stream.bytes);
}

bool WriteSettings(const std::string& workingFolder, const Settings& settings) {
  ByteStream stream;
  stream.bytes.appendU8(settings.fileFormat == Settings::kOki ? 1 : 0);
  stream.bytes.appendU8(settings.compression == 1 ? 1 : 0);
  return WriteWholeFile(stream, platform::JoinPath(workingFolder, kSettingsFileName));
}

}  // namespace qs

#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "base/byte_buffer.h"
#include "operations/messages.h"

namespace qs {

// The user's choices kept in config.bin: the file format for encryption and whether to
// compress before encrypting (native format only).
struct Settings {
  enum FileFormat : std::uint8_t { kQuillseal = 0, kOki = 1 };
  FileFormat fileFormat = kQuillseal;
  std::uint8_t compression = 0;  // 1 = on
};

inline constexpr char kSettingsFileName[] = "config.bin";
inline constexpr std::uint32_t kSettingsBytes = 2;  // as written; older or damaged files may differ

// The settings in config.bin's content. Lenient: a non-zero byte counts as 1, a missing byte
// as 0, extra bytes are ignored.
Settings DecodeSettings(const ByteBuffer& content);

// Reads config.bin from the working folder as DecodeSettings does; an unreadable or damaged
// file gives the defaults.
Settings ReadSettings(const std::string& workingFolder);

// Writes the two bytes atomically, holding the working folder's lock; on kNotSaved or
// kFolderBusy any older config.bin is left as it was.
SettingsOutcome WriteSettings(const std::string& workingFolder, const Settings& settings);

// Reads config.bin, applies change and writes the result, all under the working folder's
// lock, so that what another program changed meanwhile is kept; written is what was saved.
SettingsOutcome ChangeSettings(const std::string& workingFolder, const std::function<void(Settings&)>& change,
                               Settings& written);

}  // namespace qs

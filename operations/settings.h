#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "base/byte_buffer.h"
#include "operations/messages.h"

namespace qs {

// The user's choices kept in config.bin: the file format for encryption, whether to compress
// before encrypting (native format only) and whether to encrypt for the user's own key too.
//
// config.bin holds one byte per choice, in that order. The third is written only when it is
// on: a file without it reads as off, and an older reader, which ignores bytes after the
// second, reads the other two as before.
struct Settings {
  enum FileFormat : std::uint8_t { kQuillseal = 0, kOki = 1 };
  FileFormat fileFormat = kQuillseal;
  std::uint8_t compression = 0;    // 1 = on
  std::uint8_t encryptToSelf = 0;  // 1 = on: the own key is one more recipient
};

inline constexpr char kSettingsFileName[] = "config.bin";
// As written without and with the third choice; older or damaged files may differ.
inline constexpr std::uint32_t kSettingsBytes = 2;
inline constexpr std::uint32_t kSettingsBytesWithSelf = 3;

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

#pragma once
#include <cstdint>

namespace qs {

// How an encryption, decryption, signing or verification ended. Every failure the user is
// told about has its own value, so the GUI and the command line show the same words;
// MessageText gives them.
enum class FileOutcome : std::uint8_t {
  kOk,
  kCancelled,         // the user asked to stop; nothing is said
  kSourceUnreadable,  // native format
  kTargetUnwritable,  // any format
  kWrongKeys,         // native format: keys or file do not match
  kOtherMethod,       // native format: written by another method
  kUnknown,           // no better cause known, an exception among them
  kOkiTooLarge,       // OKI-format encryption of a file above its limit
  kOkiEncryptionFailed,
  kFileUnreadable,  // decryption could not read enough to tell the format
  kOkiDecryptionFailed,
  kSigningFailed,
  kSignatureMismatch,
  kTargetExists,     // a target that may not be replaced exists (it appeared after the front end looked)
  kOkiOneRecipient,  // OKI-format encryption asked for more than one recipient
};

// The Swedish message of an outcome, UTF-8; empty for kOk and kCancelled.
const char* MessageText(FileOutcome outcome);

// Texts both front ends show after an operation that succeeded. UTF-8.
namespace file_text {
inline constexpr char kSenderUnbound[] =
    "Varning: Filen är skriven av en äldre version och inte bunden till sin avsändare. Den som har "
    "sett filen kan ha signerat om den, så certifikatet visar inte säkert vem som skrev innehållet. "
    "Be avsändaren kryptera filen på nytt om det har betydelse.";
}  // namespace file_text

// How saving config.bin ended; MessageText gives the text both front ends show.
enum class SettingsOutcome : std::uint8_t {
  kSaved,
  kNotSaved,
  kFolderBusy,  // another program kept the working folder's lock through the whole wait
};

// Empty for kSaved.
const char* MessageText(SettingsOutcome outcome);

// Texts both front ends show when they cannot start. UTF-8.
namespace start_text {
inline constexpr char kNoWorkingFolder[] = "Fel: Kunde inte välja arbetsmapp!";
inline constexpr char kNoGenerator[] = "Fel: Kunde inte initiera slumptalsgenerator!";
}  // namespace start_text

}  // namespace qs
